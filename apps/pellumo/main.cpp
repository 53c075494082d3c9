#include <cstdio>

// FIXME: the player window, its catalogue and the slide sequence do not exist yet; until
// they do, the program says so and ends.
int main() {
    std::fputs("Pellumo : ce programme ne contient pas encore de diaporama.\n", stderr);
    return 0;
}
