#include "Program.h"

int main() {
    return RunQuillet();
}
