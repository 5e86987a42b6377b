// A console program that ends with the exit code given as its first argument.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    int code = argc > 1 ? std::atoi(argv[1]) : 0;
    std::printf("exiting with %d\n", code);
    return code;
}
