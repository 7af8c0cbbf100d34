// Holds a file open without sharing it, as Excel holds a workbook or a list
// it has open, until its standard input ends. Prints "held" once it holds
// it. Usage: hold_open FILE
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 2)
        return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(file);
    return 0;
}
