// The text operations of path resolution, as tables of inputs and results.
#include <gtest/gtest.h>

#include <string>

#include "system/paths.h"

namespace vostrel {
namespace {

struct Row {
    std::string input;
    std::string expected;
};

void ExpectTable(std::string (*operation)(std::string_view), const std::vector<Row>& rows,
                 const char* name) {
    for (const auto& row : rows)
        EXPECT_EQ(operation(row.input), row.expected) << name << " of [" << row.input << "]";
}

TEST(PathText, TrimQuotes) {
    ExpectTable(TrimQuotes,
                {
                    {"", ""},
                    {"\"C:\\app.exe\"", "C:\\app.exe"},
                    {"  \"\"C:\\app.exe\" \"  ", "C:\\app.exe"},
                    // The carriage return at the end stops the trimming: the
                    // closing quote stays, only the line feed goes.
                    {"\"C:\\app.exe\"\r\n", "C:\\app.exe\"\r"},
                    {"\r\"C:\\a b\\x.exe\"", "C:\\a b\\x.exe"},
                    {"\nC:\\x.exe", "\nC:\\x.exe"},      // a line feed at the start stays
                    {"\tC:\\x.exe\t", "\tC:\\x.exe\t"},  // tabs are not blanks
                    {"\"x\" \r", "x\" \r"},  // a carriage return is only taken at the start
                    {"\" \"", ""},
                },
                "TrimQuotes");
}

TEST(PathText, StripArguments) {
    ExpectTable(StripArguments,
                {
                    {"C:\\Tools\\app.exe /s", "C:\\Tools\\app.exe"},
                    {"rundll32.exe shell32.dll,Control_RunDLL", "rundll32.exe shell32.dll"},
                    {"/s C:\\x.exe", "/s C:\\x.exe"},          // nothing before the slash
                    {"\"C:\\a.exe\" /x,y", "C:\\a.exe\" /x"},  // the comma cut wins
                    {"C:\\a.exe,1 /b", "C:\\a.exe"},
                    {"C:\\plain.exe", "C:\\plain.exe"},
                    {"  C:\\plain.exe  ", "  C:\\plain.exe  "},  // returned untrimmed
                    {"\" \",x", "\" \",x"},                      // only quotes before the comma
                    {"\"C:\\Program Files\\a.exe\" /q", "C:\\Program Files\\a.exe"},
                    {"c:/dir/a.exe", "c:"},
                },
                "StripArguments");
}

TEST(PathText, StripArgumentsDoesNotSeeSeparatorsBeyondSixteenBitPositions) {
    const std::string longPath = "C:\\" + std::string(32763, 'a') + ".exe";  // 32770 characters
    EXPECT_EQ(StripArguments(longPath + " /s"), longPath + " /s");
    EXPECT_EQ(StripArguments(longPath + ",1"), longPath + ",1");
    // A slash within range still cuts, a comma out of range is not seen.
    const std::string cut = "C:\\a.exe /s " + std::string(32760, 'b') + ",1";
    EXPECT_EQ(StripArguments(cut), "C:\\a.exe");
    // The last position the cut still sees.
    const std::string edge = std::string(32766, 'c') + "/";
    ASSERT_EQ(edge.size(), 32767u);
    EXPECT_EQ(StripArguments(edge), std::string(32766, 'c'));
    const std::string beyond = std::string(32767, 'c') + "/";
    EXPECT_EQ(StripArguments(beyond), beyond);
}

TEST(PathText, GetFileExtension) {
    ExpectTable(GetFileExtension,
                {
                    {"C:\\Dir.old\\File", ""},
                    {"Report.TXT", "txt"},
                    {"name.", ""},
                    {"C:\\a.b.C", "c"},
                    {"C:file", ""},
                    {"C:.ini", "ini"},
                    {"archive.tar.GZ ", "gz "},
                    {"", ""},
                    {"noext", ""},
                    {"C:\\x\\CAF\xC3\x89.\xC3\x89XE", "\xC3\xA9xe"},
                },
                "GetFileExtension");
}

TEST(PathText, GetFileName) {
    ExpectTable(GetFileName,
                {
                    {"app.exe", ""},
                    {"C:\\Dir\\", ""},
                    {"C:\\Dir\\app.exe", "app.exe"},
                    {"   ", ""},
                    {"", ""},
                    {"\\x y ", "x y "},
                    {"C:/dir/app.exe", ""},
                },
                "GetFileName");
}

TEST(PathText, AddBackslash) {
    ExpectTable(AddBackslash,
                {
                    {"C:", "C:\\"},
                    {"   ", ""},
                    {"", ""},
                    {"C:\\", "C:\\"},
                    {"C:\\Dir", "C:\\Dir\\"},
                    {" C:\\Dir ", " C:\\Dir \\"},
                },
                "AddBackslash");
}

TEST(PathText, FolderVariables) {
    ExpectTable(StripRootVariable,
                {
                    {"%SystemRoot%\\System32\\x.dll", "\\System32\\x.dll"},
                    {"%ProgramFiles%\\A\\%systemroot%\\b.dll", "\\b.dll"},
                    {"\"%programfiles%\\App\\a.exe\" /s", "\\App\\a.exe\" /s"},
                    {"C:\\x\\%SYSTEMROOT%name.exe", "name.exe"},
                    {"%commonprogramfiles%\\x.dll", ""},
                    {"%SystemRoot", ""},
                    {"%Systemroot%%Systemroot%\\x", "%Systemroot%\\x"},
                },
                "StripRootVariable");
    ExpectTable(StripCommonFilesVariable,
                {
                    {"%CommonProgramFiles%\\Shared\\x.dll", "\\Shared\\x.dll"},
                    {"x %COMMONPROGRAMFILES%y", "y"},
                    {"%ProgramFiles%\\x.dll", ""},
                    {"", ""},
                },
                "StripCommonFilesVariable");
}

}  // namespace
}  // namespace vostrel
