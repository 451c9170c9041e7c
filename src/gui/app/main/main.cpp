// vkCert: the certificate browser for Velkora tokens.
#include "gui/app/CvkCertApp.h"

int main(int argc, char** argv) {
    return TheApp().Run(argc, argv);
}
