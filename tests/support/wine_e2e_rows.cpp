#include "support/wine_e2e_rows.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "support/wine_prefix_fixture.h"

namespace vostrel::testing {

namespace {

const std::string kClass = "{0F00D000-0000-4000-8000-00000000F00D}";
const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kGone = "C:\\Program Files\\Gone";
const std::string kLongProgram = kGone + "\\" + std::string(280, 'L') + ".exe";

struct Planted {
    std::string key, name, type, data;
};

const std::vector<Planted>& PlantedValues() {
    static const std::vector<Planted> values{
        {"HKLM\\Software\\Classes\\CLSID\\" + kClass + "\\InprocServer32", "", "REG_SZ",
         kGone + "\\gone.dll"},
        {"HKLM\\Software\\Classes\\CLSID\\" + kClass + "\\InprocServer32", "ThreadingModel",
         "REG_SZ", "Apartment"},
        {"HKLM\\Software\\Classes\\CLSID\\" + kClass + "\\LocalServer32", "", "REG_SZ",
         "gonesrv.exe"},
        {"HKLM\\Software\\Classes\\CLSID\\" + kClass + "\\DefaultIcon", "", "REG_SZ",
         "\"" + kGone + "\\gone.dll\",-101"},
        {"HKLM\\" + kCv + "\\App Paths\\gonetool.exe", "", "REG_SZ",
         "\"" + kGone + "\\gonetool.exe\""},
        {"HKLM\\" + kCv + "\\App Paths\\gonetool.exe", "Path", "REG_SZ", kGone + ";"},
        {"HKLM\\Software\\Microsoft\\Windows\\Help", "gone.hlp", "REG_SZ", kGone},
        {"HKLM\\Software\\Microsoft\\Shared Tools\\GoneShared", "SharedFile", "REG_SZ",
         "C:\\Program Files\\Common Files\\Gone\\shared.dll"},
        {"HKLM\\" + kCv + "\\Run", "GoneLong", "REG_SZ", kLongProgram},
        {"HKLM\\" + kCv + "\\Run", "GoneStartup", "REG_SZ",
         "%SystemRoot%\\system32\\gonestart.exe"},
        {"HKLM\\" + kCv + "\\Run", "Notepad", "REG_SZ", "C:\\windows\\notepad.exe"},
        {"HKLM\\" + kCv + "\\Run", "GoneProfile", "REG_SZ", "%APPDATA%\\gone.exe"},
        {"HKLM\\" + kCv + "\\Run", "GoneExpand", "REG_EXPAND_SZ", "%SystemRoot%\\gone2.exe"},
        {"HKLM\\" + kCv + "\\Run", "Browser", "REG_EXPAND_SZ",
         "\"%ProgramFiles%\\Internet Explorer\\iexplore.exe\" \"%1\""},
        {"HKLM\\" + kCv + "\\Uninstall\\GoneApp", "DisplayName", "REG_SZ", "Gone App"},
        {"HKLM\\" + kCv + "\\Uninstall\\GoneApp", "UninstallString", "REG_SZ",
         "\"" + kGone + "\\uninst.exe\" /S"},
        {"HKLM\\" + kCv + "\\Uninstall\\GoneApp", "DisplayIcon", "REG_SZ", kGone + "\\app.exe,0"},
        {"HKLM\\" + kCv + "\\Uninstall\\GoneApp", "InstallLocation", "REG_SZ", kGone + "\\"},
        {"HKLM\\" + kCv + "\\Uninstall\\GoneApp", "QuietUninstallString", "REG_SZ",
         "\"" + kGone + "\\uninst.exe\" /S"},
        {"HKLM\\" + kCv + "\\Uninstall\\Wine Here", "InstallLocation", "REG_SZ",
         "C:\\windows\\system32"},
        {"HKLM\\" + kCv + "\\Uninstall\\Wine Here", "QuietUninstallString", "REG_SZ",
         "C:\\windows\\system32\\notepad.exe /S"},
        {"HKLM\\System\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "GoneVxd", "REG_SZ",
         "gone.vxd"},
        {"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Gone Font (TrueType)",
         "REG_SZ", "gonefont.ttf"},
    };
    return values;
}

RowTexts Row(const std::string& root, const std::string& name, const std::string& file,
             const std::string& section, const std::string& key, bool completed = false) {
    const std::string handle = root == "HKEY_CLASSES_ROOT"   ? "-2147483648"
                               : root == "HKEY_CURRENT_USER" ? "-2147483647"
                                                             : "-2147483646";
    return {handle, name, file, section, key, root, completed ? "Yes" : ""};
}

}  // namespace

void PlantProblems(const std::string& prefix) {
    for (const auto& value : PlantedValues()) {
        std::vector<std::string> args{"reg", "add", value.key};
        if (value.name.empty())
            args.push_back("/ve");
        else
            args.insert(args.end(), {"/v", value.name});
        args.insert(args.end(), {"/t", value.type, "/d", value.data, "/f"});
        if (RunWine(prefix, args) != 0)
            throw std::runtime_error("wine reg add failed for " + value.key);
    }
    WaitForWineserver(prefix);
}

std::vector<RowTexts> ExpectedWineRows() {
    // A fresh prefix yields no row of its own: the 16-bit class servers and
    // bitmap fonts Wine registers without installing them are Wine's, and a
    // program id that reads like a file name is no file.
    const std::string kCr = "HKEY_CLASSES_ROOT", kLm = "HKEY_LOCAL_MACHINE";
    return {
        Row(kCr, "(Default)", "C:\\Program Files\\Gone\\gone.dll", "ActiveX \\ COM",
            "CLSID\\" + kClass + "\\DefaultIcon"),
        Row(kCr, "(Default)", "C:\\Program Files\\Gone\\gone.dll", "ActiveX \\ COM",
            "CLSID\\" + kClass + "\\InprocServer32"),
        Row(kCr, "(Default)", "C:\\windows\\system32\\gonesrv.exe", "ActiveX \\ COM",
            "CLSID\\" + kClass + "\\LocalServer32", true),
        Row(kLm, "(Default)", "C:\\Program Files\\Gone\\gone.dll", "ActiveX \\ COM Subsections",
            "SOFTWARE\\Classes\\CLSID\\" + kClass + "\\DefaultIcon"),
        Row(kLm, "(Default)", "C:\\Program Files\\Gone\\gone.dll", "ActiveX \\ COM Subsections",
            "SOFTWARE\\Classes\\CLSID\\" + kClass + "\\InprocServer32"),
        Row(kLm, "(Default)", "C:\\windows\\system32\\gonesrv.exe", "ActiveX \\ COM Subsections",
            "SOFTWARE\\Classes\\CLSID\\" + kClass + "\\LocalServer32", true),
        Row(kLm, "(Default)", "C:\\Program Files\\Gone\\gonetool.exe", "Application Paths",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gonetool.exe"),
        Row(kLm, "Path", "C:\\Program Files\\Gone", "Application Paths",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gonetool.exe"),
        Row(kLm, "gone.hlp", "C:\\Program Files\\Gone\\gone.hlp", "Help Files",
            "SOFTWARE\\Microsoft\\Windows\\Help"),
        Row(kLm, "SharedFile", "C:\\Program Files\\Common Files\\Gone\\shared.dll",
            "Microsoft Shared", "SOFTWARE\\Microsoft\\Shared Tools\\GoneShared"),
        Row(kLm, "GoneExpand", "C:\\windows\\gone2.exe", "Windows Startup",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
        // "GoneLong" (a path of more than MAX_PATH characters) yields no row:
        // Windows' file calls refuse such a path, so it counts as existing.
        Row(kLm, "GoneStartup", "C:\\windows\\system32\\gonestart.exe", "Windows Startup",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
        Row(kLm, "DisplayIcon", "C:\\Program Files\\Gone\\app.exe", "Uninstall Section",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GoneApp"),
        Row(kLm, "InstallLocation", "C:\\Program Files\\Gone\\", "Uninstall Section",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GoneApp"),
        Row(kLm, "QuietUninstallString", "C:\\Program Files\\Gone\\uninst.exe", "Uninstall Section",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GoneApp"),
        Row(kLm, "UninstallString", "C:\\Program Files\\Gone\\uninst.exe", "Uninstall Section",
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GoneApp"),
        Row(kLm, "GoneVxd", "C:\\windows\\system32\\gone.vxd", "VxD Section",
            "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", true),
        Row(kLm, "Gone Font (TrueType)", "C:\\windows\\Fonts\\gonefont.ttf", "Windows Fonts",
            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"),
    };
}

std::vector<RowTexts> ExpectedWineRows(const std::string& sectionKey) {
    std::vector<RowTexts> out;
    for (auto& row : ExpectedWineRows())
        if (row[3] == sectionKey) out.push_back(row);
    return out;
}

std::vector<RowTexts> Rows(const ProblemList& list) {
    std::vector<RowTexts> out;
    for (const auto& p : list.Of<RegistryProblem>())
        out.push_back({RootHandleText(p.root), p.valueName, p.testedPath, p.scanner, p.keyPath,
                       p.rootName, p.systemFolder ? "Yes" : ""});
    return out;
}

std::vector<RowTexts> Rows(const std::vector<ShortcutProblem>& problems) {
    std::vector<RowTexts> out;
    for (const auto& p : problems) out.push_back({p.path, std::string(kShortcutSection)});
    return out;
}

std::vector<RowTexts> Rows(const std::vector<SummaryRow>& rows) {
    std::vector<RowTexts> out;
    for (const auto& row : rows) out.push_back({row.text});
    return out;
}

std::vector<RowTexts> RegistryRowsOfJson(const std::string& json) {
    std::vector<RowTexts> out;
    const nlohmann::json scan = nlohmann::json::parse(json);
    for (const auto& entry : scan.at("registry")) {
        const std::string root = entry.at("root").get<std::string>();
        out.push_back({RootHandleText(RootFromName(root).value_or(kNullKey)),
                       entry.at("value").get<std::string>(), entry.at("data").get<std::string>(),
                       entry.at("scanner").get<std::string>(), entry.at("key").get<std::string>(),
                       root, entry.at("systemFolder").get<bool>() ? "Yes" : ""});
    }
    return out;
}

}  // namespace vostrel::testing
