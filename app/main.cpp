#include "app/app.h"

int main(int argc, char** argv) {
    return spanwright::runCommandLine(argc, argv);
}
