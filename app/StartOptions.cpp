// tarmel's options through QCommandLineParser, with Qt's own options known but hidden.
#include "app/StartOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace tarmel::app {

std::variant<StartOptions, StartExit> parseStartOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's options are single-dash words: -platform is one option, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Tarmel (Quorvane): a small interactive sound generator."));
    // Not addHelpOption(): its --help-all would promise Qt's options, which are not Tarmel's.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print these options and exit."));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("a settings file (.tarmel) to open at start"),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption midiPort(
        QStringLiteral("midi"),
        QStringLiteral("Take notes only from the MIDI outputs whose names contain PORT (may be "
                       "given more than once); without it, from every MIDI output."),
        QStringLiteral("PORT"));
    const QCommandLineOption noMidi(QStringLiteral("no-midi"),
                                    QStringLiteral("Open no MIDI input."));
    parser.addOption(midiPort);
    parser.addOption(noMidi);
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Draw \"Random\" and \"Mutate\" from seed N (0 to 18446744073709551615), "
                       "so that a run can be repeated; without it, from the clock."),
        QStringLiteral("N"));
    parser.addOption(seed);
    const QCommandLineOption view(QStringLiteral("view"),
                                  QStringLiteral("Open the Sound window (waveform and spectrum)."));
    parser.addOption(view);
    // The options QGuiApplication and QApplication take out of the arguments themselves.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "name", "title",
          "visual", "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption qt(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption qt(QString::fromLatin1(name));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }

    const auto refuse = [](const QString& what) {
        return StartExit{2, QStringLiteral("tarmel: %1 (see tarmel --help)\n").arg(what)};
    };
    if (!parser.parse(arguments)) {
        // "Unknown option 'bogus'." as the rest of a sentence.
        QString what = parser.errorText();
        if (what.endsWith(QLatin1Char('.'))) {
            what.chop(1);
        }
        return refuse(what.left(1).toLower() + what.mid(1));
    }
    if (parser.isSet(help)) {
        // Without a QCoreApplication (none exists yet) Qt cannot know the program's name.
        return StartExit{0, parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                      QStringLiteral("tarmel"))};
    }
    if (parser.isSet(version)) {
        return StartExit{0, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                          QCoreApplication::applicationVersion())};
    }
    if (parser.isSet(midiPort) && parser.isSet(noMidi)) {
        return refuse(QStringLiteral("--midi and --no-midi exclude each other; give one of them"));
    }
    bool seedOk = true;
    const qulonglong seedValue = parser.value(seed).toULongLong(&seedOk);
    if (parser.isSet(seed) && !seedOk) {
        return refuse(QStringLiteral("--seed must be a whole number from 0 to "
                                     "18446744073709551615"));
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        return refuse(QStringLiteral("'%1' is a second settings file; Tarmel opens one at a "
                                     "time, so give one FILE")
                          .arg(files[1]));
    }
    StartOptions options;
    if (!files.isEmpty()) {
        options.file = files.front();
    }
    options.midiPorts = parser.values(midiPort);
    options.noMidi = parser.isSet(noMidi);
    if (parser.isSet(seed)) {
        options.seed = seedValue;
    }
    options.view = parser.isSet(view);
    return options;
}

} // namespace tarmel::app
