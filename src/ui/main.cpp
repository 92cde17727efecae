// Entry point of the window program.
//   valdrometrica [--simulate] [--sim-status HEX] [--sim-unplug N[:S]] [--device PATH]
//                 [--trace FILE] [FILE.dat]
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <vector>

#include "device/device_session.h"
#include "device/protocol_engine.h"
#include "ui/main_form.h"

namespace {

int Run(QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures and monitors ORVELIX digital I/O units."));
    parser.addHelpOption();
    parser.addVersionOption();
    std::vector<QCommandLineOption> deviceOptions;
    for (const valdro::DeviceOptionInfo& o : valdro::kDeviceOptionTable) {
        deviceOptions.emplace_back(QString::fromUtf8(o.name),
                                   QString::fromUtf8(o.help).replace(u'\n', u' '),
                                   QString::fromUtf8(o.valueName));
        parser.addOption(deviceOptions.back());
    }
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A data file to load."),
                                 QStringLiteral("[FILE.dat]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "valdrometrica: at most one data file\n");
        return 2;
    }

    auto value = [&](const char* name) -> std::optional<std::string> {
        const QString n = QString::fromUtf8(name);
        if (!parser.isSet(n)) {
            return std::nullopt;
        }
        return parser.value(n).toStdString();
    };
    valdro::DeviceArguments arguments;
    arguments.simulate = parser.isSet(QStringLiteral("simulate"));
    arguments.device = value("device");
    arguments.trace = value("trace");
    arguments.simStatus = value("sim-status");
    arguments.simUnplug = value("sim-unplug");
    valdro::DeviceOptions options;
    if (const auto error = valdro::ReadDeviceArguments(arguments, options)) {
        std::fprintf(stderr, "valdrometrica: %s\n", error->c_str());
        return 2;
    }
    // Declared before the window: the engine inside it uses the session's platform
    // and trace until it is gone.
    valdro::DeviceSession session(options);
    if (!session.TraceError().empty()) {
        std::fprintf(stderr, "valdrometrica: %s\n", session.TraceError().c_str());
        return 2;
    }

    valdro::ui::TMainForm form(session.Platform());
    session.Attach(form.Engine());
    form.show();
    if (!parser.positionalArguments().isEmpty()) {
        form.LoadFile(parser.positionalArguments().front());
    }
    app.exec();
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
