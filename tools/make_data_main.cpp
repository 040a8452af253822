// make_data: writes the demo's data files into the directory given as its
// only argument. Prints nothing on success.
#include <cstdio>
#include <string>

#include "tools/make_data.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argc > 0 ? argv[0] : "make_data");
        return 2;
    }
    std::string error;
    if (!writeDataFiles(argv[1], &error)) {
        std::fprintf(stderr, "make_data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
