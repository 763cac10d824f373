// qv-demosite: writes the demo network of Quellvane as a site.
//
//   qv-demosite [--messages DIR] OUTPUT_DIR
//
// OUTPUT_DIR must not exist, be empty or hold a demo site written before,
// which is then replaced.  DIR holds the message files that the build
// compiled from tools/demosite/messages; it defaults to the build's own.

#include "DemoSite.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string messages = QV_DEMO_MESSAGE_DIR;
    std::string output;
    bool wrongArguments = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--messages") == 0 && i + 1 < argc)
            messages = argv[++i];
        else if (output.empty() && argv[i][0] != '-')
            output = argv[i];
        else
            wrongArguments = true;
    }
    if (wrongArguments || output.empty()) {
        std::fprintf(stderr, "usage: qv-demosite [--messages DIR] OUTPUT_DIR\n");
        return 2;
    }
    std::string error;
    if (!demosite::WriteDemoSite(output, messages, error)) {
        std::fprintf(stderr, "qv-demosite: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
