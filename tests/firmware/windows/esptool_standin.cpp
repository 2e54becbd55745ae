// Stands in for esptool32.exe: writes its working folder, then each argument, one a line, into
// esptool-args.txt in its working folder.
#include <cstdio>
#include <direct.h>

int main(int argc, char** argv)
{
    char folder[4096] = {};
    if (!_getcwd(folder, sizeof folder))
        return 2;
    std::FILE* record = std::fopen("esptool-args.txt", "w");
    if (!record)
        return 2;
    std::fprintf(record, "%s\n", folder);
    for (int i = 1; i < argc; ++i)
        std::fprintf(record, "%s\n", argv[i]);
    return std::fclose(record) == 0 ? 0 : 2;
}
