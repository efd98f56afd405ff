#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace jk {

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char* argv[]) {
    if (argc <= 1)
        return std::nullopt;

    // A core application only: the help must print where no X display is at hand.
    int coreArgc = argc;
    QCoreApplication core(coreArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jeerkit"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JEERKIT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Jeerkit types phrases from a phrase book of 30 text sets into the "
                       "Ultima Online client.\nEverything it keeps is in the settings store "
                       "(~/.config/Jeerkit/Jeerkit.ini); see jeerkit(1)."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not addHelpOption(): its --help-all would list the toolkit's options, which are refused.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    // A desktop session that restores its programs passes this on; the window toolkit reads it.
    QCommandLineOption session(QStringLiteral("session"), QString(), QStringLiteral("id"));
    session.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(session);

    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString why = parser.errorText().isEmpty()
                                ? QStringLiteral("Unexpected argument: %1")
                                      .arg(parser.positionalArguments().constFirst())
                                : parser.errorText();
        print(stderr, QStringLiteral("jeerkit: %1\n\n").arg(why) + parser.helpText());
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Jeerkit %1\n").arg(QStringLiteral(JEERKIT_VERSION)));
        return 0;
    }
    return std::nullopt;
}

} // namespace jk
