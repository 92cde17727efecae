// Entry point of the window program.
//   valdrometrica [--simulate] [--sim-status HEX] [--trace FILE] [FILE.dat]
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <memory>

#include "config/hex_text.h"
#include "device/protocol_engine.h"
#include "device/report_trace.h"
#include "device/simulated_platform.h"
#include "device/simulated_unit.h"
#include "ui/main_form.h"
#ifdef VALDRO_HAVE_HIDAPI
#include "device/hidapi_platform.h"
#endif

namespace {

int Run(QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures and monitors ORVELIX digital I/O units."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Talk to a simulated unit instead of USB."));
    const QCommandLineOption simStatus(
        QStringLiteral("sim-status"),
        QStringLiteral("With --simulate: status reply bytes from byte 2 on, in hex."),
        QStringLiteral("HEX"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append every report to and from the unit to FILE."),
        QStringLiteral("FILE"));
    parser.addOption(simulate);
    parser.addOption(simStatus);
    parser.addOption(trace);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A data file to load."),
                                 QStringLiteral("[FILE.dat]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "valdrometrica: at most one data file\n");
        return 2;
    }

    std::unique_ptr<valdro::SimulatedUnit> simUnit;
    std::unique_ptr<valdro::HidPlatform> platform;
    if (parser.isSet(simulate)) {
        simUnit = std::make_unique<valdro::SimulatedUnit>();
        if (parser.isSet(simStatus)) {
            const auto bytes = valdro::ParseHexBytes(parser.value(simStatus).toStdString(),
                                                     valdro::kReportSize - 2);
            if (!bytes || bytes->empty()) {
                std::fprintf(stderr, "valdrometrica: --sim-status needs hex bytes\n");
                return 2;
            }
            simUnit->SetStatusOverride(*bytes);
        }
        platform = std::make_unique<valdro::SimulatedPlatform>(*simUnit);
    } else {
        if (parser.isSet(simStatus)) {
            std::fprintf(stderr, "valdrometrica: --sim-status needs --simulate\n");
            return 2;
        }
#ifdef VALDRO_HAVE_HIDAPI
        platform = std::make_unique<valdro::HidapiPlatform>();
#else
        std::fprintf(stderr, "valdrometrica: built without USB support; use --simulate\n");
        return 2;
#endif
    }

    valdro::ReportTrace reportTrace;
    if (parser.isSet(trace)) {
        const QString path = parser.value(trace);
        if (!reportTrace.Open(path.toStdString())) {
            std::fprintf(stderr, "valdrometrica: cannot open trace file %s\n",
                         path.toLocal8Bit().constData());
            return 2;
        }
    }

    valdro::ui::TMainForm form(*platform);
    if (reportTrace.IsOpen()) {
        form.Engine().SetTrace(&reportTrace);
    }
    form.show();
    if (!parser.positionalArguments().isEmpty()) {
        form.LoadFile(parser.positionalArguments().front());
    }
    app.exec();
    form.Engine().SetTrace(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("valdrometrica"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    QApplication::setFont(font);
    try {
        return Run(app);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), QString::fromUtf8(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), QString());
    }
    return 0;
}
