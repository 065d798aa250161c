#include "cli/ScanCommand.h"
#include "platform/Console.h"

int main(int argc, char** argv) {
    qm::platform::PrepareStandardStreams();
    return qm::cli::RunScanCommand(qm::platform::ProgramArguments(argc, argv));
}
