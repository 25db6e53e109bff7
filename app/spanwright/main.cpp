#include "app/cli/program.h"
#include "app/spanwright/app.h"

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    return spanwright::runCommandLine(argc, argv);
}
