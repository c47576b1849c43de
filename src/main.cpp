#include <cstdio>

int main(int argc, char** argv) {
    std::puts("Quillaby: the platform foundation is built; the scene engine and the salon come next.");
    return 0;
}
