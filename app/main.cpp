#include "app/app.h"
#include "app/program.h"

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    return spanwright::runCommandLine(argc, argv);
}
