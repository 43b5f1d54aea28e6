#include "Shared.h"

#include "Unit2.h"
#include "system.h"

std::unique_ptr<char[]> MessageBuffer;
std::unique_ptr<char[]> TargetPath;
std::unique_ptr<char[]> InputBuf;

void ShowAllocationFailure(const char* bufferName) {
    ShowFormattedError(
        "Internal program error:\n\n  \"%s memory allocation failed\"\n\nPlease close program and try again.\n"
        "If this keeps happening, please tell us at https://quillet.example/, quoting this message and the "
        "folder specification you entered.",
        bufferName);
}

std::string ProgramFolder() {
    std::string folder = sys::ProgramPath();
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

void ReleaseBuffers() {
    MessageBuffer.reset();
    TargetPath.reset();
    InputBuf.reset();
    FreeSpecNodes();
}
