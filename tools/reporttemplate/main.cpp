// qv-reporttemplate FILE: writes the main window's report template (see
// MainReportTemplate.h) to FILE, replacing it only once it is complete.
//
// The program reads the copy in resources/report/main-report.rpf; after a
// change to the template or to the template stream, rewrite it with
//   cmake --build build --target update_main_report_template
// (a test compares the copy with what this tool writes).

#include "MainReportTemplate.h"

#include "platform/QtFileIo.h"

#include <QString>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv-reporttemplate FILE\n");
        return 2;
    }
    const QString fileName = QString::fromLocal8Bit(argv[1]);
    try {
        const std::string bytes = MainReportTemplateStream();
        platform::CheckedSaveFile file(fileName);
        if (!file.open() || !file.write(bytes.data(), static_cast<qint64>(bytes.size())) || !file.commit()) {
            std::fprintf(stderr, "qv-reporttemplate: %s: %s\n", argv[1], qPrintable(file.errorString()));
            return 1;
        }
        std::printf("%s: %zu bytes\n", argv[1], bytes.size());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qv-reporttemplate: %s\n", error.what());
        return 1;
    }
    return 0;
}
