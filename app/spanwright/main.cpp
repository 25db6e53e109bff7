#include "app/spanwright/app.h"
#include "app/cli/program.h"

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    return spanwright::runCommandLine(argc, argv);
}
