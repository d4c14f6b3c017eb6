#include "shell/HelpFiles.h"

#include <QFileInfo>
#include <QUrl>

#include "platform/AppPaths.h"
#include "platform/TextFile.h"

namespace yk {

QString helpFile(const AppPaths& paths, bool shortcut)
{
    return paths.file(shortcut ? u"ShortCut.txt" : u"Readme.txt");
}

QString helpFilePath(const AppPaths& paths)
{
    for (const bool shortcut : {true, false}) {
        const QString path = helpFile(paths, shortcut);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString homePageAddress(const AppPaths& paths)
{
    return QUrl::fromLocalFile(helpFile(paths, false)).toString();
}

QString shortCutText()
{
    return QStringLiteral(
        "Yomikaze v1.35　キー操作一覧\n"
        "\n"
        "メイン画面（プレイリスト画面・ムービー画面でも使えます）\n"
        "\n"
        "  ↑            次の年を表示\n"
        "  ↓            前の年を表示\n"
        "  →            次の月を表示（12月まで）\n"
        "  ←            前の月を表示（1月まで）\n"
        "  Enter        今月を表示\n"
        "  Space        メニューを開く（ムービー表示中は画面をキャプチャ）\n"
        "  Ctrl         すべての再生を止め、タイマーを解除\n"
        "  T            タイマーをセット\n"
        "  M            タイマー完了時のメッセージボックスを強制するか選ぶ\n"
        "  C            プレイリストを消去して再生を止める\n"
        "  Page Up      前の曲\n"
        "  Page Down    次の曲\n"
        "  Home         再生\n"
        "  End          停止\n"
        "  Delete       プレイリストを消去\n"
        "  Insert       ループ再生の切り替え\n"
        "  Backspace    一時停止／再開\n"
        "  D            フォルダを指定して曲を追加\n"
        "  1 ～ 9, 0    登録したタイマー音 1 ～ 10 を選んで再生\n"
        "               （同じ数字をもう一度押すとタイマー音を止めてオフ）\n"
        "  P            再生\n"
        "  Shift        プレイリスト画面の表示／非表示\n"
        "  Esc          終了\n"
        "\n"
        "どこからでも\n"
        "\n"
        "  Ctrl + Page Up   ホットキー\n");
}

QString readmeText()
{
    return QStringLiteral(
        "Yomikaze v1.35\n"
        "\n"
        "■ Yomikaze について\n"
        "\n"
        "デスクトップに置く小さなカレンダーです。月のカレンダーと時計のほかに、\n"
        "タイマー、日ごとのメモ・日記、音楽とムービーのプレーヤー、\n"
        "背景の切り替え、よく使うアプリのランチャーが入っています。\n"
        "設定やメモはすべてこのフォルダの中（System、txt、wav、img など）に保存されます。\n"
        "\n"
        "■ 使い方\n"
        "\n"
        "・右クリック\n"
        "  画面のどこでも右クリックするとメニューが開きます。\n"
        "  背景の登録と選択、タイマーの設定、プレイリスト、常にトップに表示、\n"
        "  バージョン情報、終了などはすべてここからできます。\n"
        "  タスクトレイのアイコンを右クリックしても同じメニューが開きます。\n"
        "\n"
        "・ドラッグ\n"
        "  画面をドラッグすると移動できます。画面の端やプレイリスト画面に近づけると\n"
        "  ぴたっとくっつきます。\n"
        "\n"
        "・日付のダブルクリック\n"
        "  日付をダブルクリックすると、その日のメモ・日記を書く画面が開きます。\n"
        "  メモのある日には印が付きます。\n"
        "\n"
        "・タイマー\n"
        "  メニューの「タイマー/各種登録(&T)」で 3 分・5 分・10 分のタイマー、\n"
        "  時間と分のカウントダウン、時刻を指定したアラームを選べます。\n"
        "  12 時間表示の時計をダブルクリックするか T キーでタイマーが始まります。\n"
        "  時間になると音が鳴り、登録したアプリの起動やメッセージボックスの表示も\n"
        "  選べます。\n"
        "\n"
        "・プレーヤー\n"
        "  曲やムービーのファイル、フォルダを画面にドロップすると\n"
        "  プレイリストに追加されて再生できます。\n"
        "\n"
        "・キー操作\n"
        "  キー操作の一覧は ShortCut.txt にあります。\n"
        "\n"
        "■ 終了\n"
        "\n"
        "  メニューの「終了(&E)」か Esc キーで終了します。\n");
}

bool writeHelpFiles(const AppPaths& paths)
{
    bool ok = true;
    for (const bool shortcut : {true, false}) {
        const QString path = helpFile(paths, shortcut);
        if (QFileInfo::exists(path))
            continue;
        const QString text = shortcut ? shortCutText() : readmeText();
        ok = textfile::writeLines(path, textfile::splitLines(text)) && ok;
    }
    return ok;
}

} // namespace yk
