// vkCert: the certificate browser for Velkora tokens.
#include "gui/app/CvkCertApp.h"
#include "platform/version/ProgramVersion.h"

int main(int argc, char** argv) {
    // Answered before the single-instance guard is asked, so a running copy is not signalled.
    if (IsVersionRequest(argc, argv)) {
        PrintProgramVersion("vkcert");
        return 0;
    }
    return TheApp().Run(argc, argv);
}
