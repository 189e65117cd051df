// The floor bitvane-compile's start-up is measured against: a plain C++
// program that reads a project file and writes the header of an empty
// project, with nothing but the standard library.
//
//     plain_compile HEADER PROJECT.bvp      (HEADER "-": standard output)

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    std::ifstream project(argv[2], std::ios::binary);
    const std::string records{std::istreambuf_iterator<char>(project),
                              std::istreambuf_iterator<char>()};
    if (!project.eof() && !project)
        return 1;
    // Pictures are out of this program's scope: only an empty project.
    if (records.find_first_not_of("\r\n") != std::string::npos)
        return 1;
    std::FILE *header = std::string(argv[1]) == "-" ? stdout : std::fopen(argv[1], "wb");
    if (!header)
        return 1;
    std::fputs("// Sprite header file made with Bitvane 2.0\r\n"
               "// http://www.bitvane.example/\r\n\r\n",
               header);
    return std::fclose(header) == 0 ? 0 : 1;
}
