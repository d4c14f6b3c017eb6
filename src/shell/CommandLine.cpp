#include "shell/CommandLine.h"

namespace yk {

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine result;
    bool optionsEnded = false;
    bool actionChosen = false;
    for (const QString& arg : args) {
        if (optionsEnded || !arg.startsWith(u'-')) {
            result.paths << arg;
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (arg == u"--help" || arg == u"-h") {
            if (!actionChosen)
                result.action = CommandLine::Action::Help;
            actionChosen = true;
            continue;
        }
        if (arg == u"--version" || arg == u"-v") {
            if (!actionChosen)
                result.action = CommandLine::Action::Version;
            actionChosen = true;
            continue;
        }
        result.unknownOptions << arg;
    }
    return result;
}

QString usageText()
{
    return QStringLiteral(
        "使い方: yomikaze [オプション] [ファイルまたはフォルダ...]\n"
        "Usage: yomikaze [options] [file or folder...]\n"
        "\n"
        "ファイルやフォルダを渡すとプレイリストに入れて再生します。\n"
        "すでに起動していれば、そちらに渡して終わります。\n"
        "Files and folders given are added to the play list and played;\n"
        "when Yomikaze is already running, they are handed to it.\n"
        "\n"
        "  -h, --help     この説明を表示 / show this help\n"
        "  -v, --version  バージョンを表示 / show the version\n"
        "  --             以降はすべてパス / every later argument is a path\n");
}

QString versionText()
{
    return QStringLiteral("Yomikaze 1.35\n");
}

QString unknownOptionText(const QString& option)
{
    return QStringLiteral("yomikaze: 不明なオプション / unknown option: %1 (--help で説明 / see --help)\n")
        .arg(option);
}

} // namespace yk
