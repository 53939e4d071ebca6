#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvane-cli scan FOLDER [--json]\n");
        return 2;
    }
    return 2;
}
