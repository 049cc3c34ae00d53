/* A Windows program that asks Wine's kernel32 what the file tests compare
 * against. Built with mingw-w64 by wine_files_live_test.cpp and run under
 * wine with one argument: a UTF-8 file of lines "command<TAB>argument".
 * Prints one answer per command, in UTF-8:
 *   find<TAB>pattern<TAB>error N        or   find<TAB>pattern, then
 *     <TAB>0xATTRIBUTES<TAB>name<TAB>shortname   for each entry
 *   short<TAB>path<TAB>result<TAB>error N
 *   attr<TAB>path<TAB>0xATTRIBUTES<TAB>error N
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <shellapi.h>

static void put(const wchar_t* text) {
    char buffer[8192];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL) > 0)
        fputs(buffer, stdout);
}

static void find(const wchar_t* pattern) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    printf("find\t");
    put(pattern);
    if (search == INVALID_HANDLE_VALUE) {
        printf("\terror %lu\n", GetLastError());
        return;
    }
    printf("\n");
    do {
        printf("\t0x%lx\t", data.dwFileAttributes);
        put(data.cFileName);
        printf("\t");
        put(data.cAlternateFileName);
        printf("\n");
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

static void shortPath(const wchar_t* path) {
    wchar_t out[2048] = L"";
    SetLastError(0);
    DWORD n = GetShortPathNameW(path, out, 2048);
    printf("short\t");
    put(path);
    printf("\t");
    if (n) put(out);
    printf("\terror %lu\n", n ? 0 : GetLastError());
}

static void attributes(const wchar_t* path) {
    DWORD value = GetFileAttributesW(path);
    printf("attr\t");
    put(path);
    printf("\t0x%lx\terror %lu\n", value, value == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0);
}

static void run(char* line) {
    static wchar_t wide[8192];
    size_t length = strlen(line);
    while (length && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = 0;
    char* tab = strchr(line, '\t');
    if (!tab) return;
    *tab = 0;
    if (!MultiByteToWideChar(CP_UTF8, 0, tab + 1, -1, wide, 8192)) return;
    if (!strcmp(line, "find")) find(wide);
    else if (!strcmp(line, "short")) shortPath(wide);
    else if (!strcmp(line, "attr")) attributes(wide);
}

int main(void) {
    int argc;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    FILE* commands = _wfopen(argv[1], L"rb");
    if (!commands) return 3;
    static char line[16384];
    while (fgets(line, sizeof line, commands)) run(line);
    fclose(commands);
    fflush(stdout);
    return 0;
}
