// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartupOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace
{
constexpr char kDescription[] =
    "Shows and edits the sprite sheets of old games (SPR and SP2), and brings BMP and PNG "
    "pictures in as sheets.";
constexpr char kFileHelp[] = "A sheet to open, or a BMP or PNG picture to start a new sheet from. "
                             "Put -- before a name that starts with -.";
} // namespace

StartupOptions ParseStartupOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's way: "-style" is one option, not five.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    // Not addHelpOption: its --help-all lists Qt's own options, which the
    // program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QString::fromUtf8(kFileHelp),
                                 QStringLiteral("[FILE]"));
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (!parser.parse(arguments))
        return {StartupOptions::Action::Error,
                {},
                program + ": " + parser.errorText() + "\nTry '" + program + " --help'.\n"};
    if (parser.isSet(help))
        return {StartupOptions::Action::Help, {}, parser.helpText()};
    if (parser.isSet(version))
        return {StartupOptions::Action::Version,
                {},
                program + ' ' + QCoreApplication::applicationVersion() + '\n'};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return {StartupOptions::Action::Error,
                {},
                program + ": one file at most, not " + QString::number(files.size()) + "\nTry '" +
                    program + " --help'.\n"};
    return {StartupOptions::Action::Run, files.value(0), {}};
}
