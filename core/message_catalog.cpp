#include "core/message_catalog.h"

#include "core/message_box.h"
#include "core/program_data_file.h"
#include "platform/dialog_service.h"
#include "platform/known_folders.h"
#include "platform/profile_file.h"

namespace {

// clang-format off
constexpr const char16_t* kDefaultMessages[kMessageCount] = {
    u"プロジェクトファイルの保存先を入力してください。", // 0
    u"入力したフォルダが存在しません。", // 1
    u"プロジェクト名が入力されていません。", // 2
    u"現在開いているプロジェクト名と同名は指定できません。", // 3
    u"プロジェクト時間を入力してください。", // 4
    u"0秒未満は入力できません。", // 5
    u"最大時間数を超えています。", // 6
    u"同名のプロジェクトが既に存在します。上書きしてもよろしいですか？", // 7
    u"パッケージファイルの保存先を入力してください。", // 8
    u"入力したフォルダが存在しません。", // 9
    u"プロジェクトファイルが入力されていません。", // 10
    u"入力したプロジェクトファイルが存在しません。", // 11
    u"フォルダは指定出来ません。", // 12
    u"入力したファイルはプロジェクトファイルではありません。", // 13
    u"パッケージファイルを入力してください。", // 14
    u"入力したパッケージファイルが存在しません。", // 15
    u"フォルダは指定出来ません。", // 16
    u"入力したファイルはパッケージファイルではありません。", // 17
    u"プロジェクトファイルの出力先が入力されていません。", // 18
    u"入力したフォルダが存在しません。", // 19
    u"素材データの出力先が入力されていません。", // 20
    u"入力したフォルダが存在しません。", // 21
    u"静止画デフォルト表示時間に、0秒は設定出来ません。", // 22
    u"接続先IPアドレスが正しくありません。\n\".\"区切りで入力してください。", // 23
    u"接続先IPアドレスが正しくありません。\n0～255の数値で入力してください。", // 24
    u"変更内容が登録されていませんが、閉じてよろしいですか？", // 25
    u"接続されているカメラを検出します。よろしいですか？", // 26
    u"%d台のカメラを検出しました。", // 27
    u"カメラを検出できませんでした。", // 28
    u"FACEにITEMが存在します。ITEMから削除してください。", // 29
    u"FACE%dを削除します。よろしいですか？", // 30
    u"ITEMを削除します。よろしいですか？", // 31
    u"選択中の%d個のITEMを削除します。よろしいですか？", // 32
    u"ITEMを削除します。よろしいですか？", // 33
    u"設定ファイルの読込みに失敗しました。", // 34
    u"共有メモリの作成に失敗しました。", // 35
    u"%s が見つかりません。", // 36
    u"全体ループの更新に失敗しました。", // 37
    u"FACEデータの書込みに失敗しました。", // 38
    u"ITEMデータの書込みに失敗しました。", // 39
    u"テンポラリ名取得エラー", // 40
    u"テンポラリフォルダへのコピーに失敗しました。", // 41
    u"FACEデータの読込みに失敗しました。", // 42
    u"FACEデータの書込み(削除)に失敗しました。", // 43
    u"FACEデータの書込み(追加)に失敗しました。", // 44
    u"ITEMデータの更新（削除）に失敗しました。", // 45
    u"ITEMデータの更新（追加）に失敗しました。", // 46
    u"プロジェクト再生時間の更新に失敗しました。", // 47
    u"再生範囲の更新に失敗しました。", // 48
    u"パッケージファイルからプロジェクト名を取得できませんでした。", // 49
    u"パッケージの展開に失敗しました。", // 50
    u"出力先に同名のプロジェクトファイルが既に存在します。上書きしてもよろしいですか？", // 51
    u"パッケージの展開を中止しました。", // 52
    u"パッケージの展開が完了しました。", // 53
    u"同名のパッケージファイルが既に存在します。上書きしてもよろしいですか？", // 54
    u"パッケージファイルの作成を中止しました。", // 55
    u"パッケージの作成に失敗しました。", // 56
    u"パッケージの作成が完了しました。", // 57
    u"プロジェクトの別名保存に失敗しました。", // 58
    u"プロジェクトファイルの読込みに失敗しました。", // 59
    u"パッケージファイルの圧縮に失敗しました。", // 60
    u"素材ファイルのパス更新に失敗しました。", // 61
    u"プロジェクトファイルの再読込みに失敗しました。", // 62
    u"プロジェクトの保存に失敗しました。", // 63
    u"プロジェクトファイルの作成に失敗しました。", // 64
    u"プロジェクトファイルの読込みに失敗しました。", // 65
    u"プロジェクトデータの展開に失敗しました。", // 66
    u"プロジェクトファイルの読込みに失敗しました。", // 67
    u"パッケージデータの展開に失敗しました。", // 68
    u"素材ファイルのパス更新に失敗しました。", // 69
    u"プロジェクトファイルの読込みに失敗しました。", // 70
    u"現在編集中のプロジェクトを閉じます。よろしいですか？", // 71
    u"設定の更新に失敗しました。", // 72
    u"既存データ待避エラー", // 73
    u"パッケージファイルの展開に失敗しました。", // 74
    u"プロジェクトファイルの読込に失敗しました。", // 75
    u"プロジェクトファイルの出力に失敗しました。", // 76
    u"プロジェクトファイルの展開に失敗しました。", // 77
    u"パッケージファイルの圧縮に失敗しました。", // 78
    u"プロジェクトファイルの読込に失敗しました。(パス更新)", // 79
    u"最大接続台数(%d台)を超えています。", // 80
    u"再生時間が異なります。\n接続中の再生時間：%s", // 81
    u"接続に失敗しました。", // 82
    u"コピー元FACEデータの読込みに失敗しました。", // 83
    u"処理に失敗しました。", // 84
    u"0秒未満は入力できません。", // 85
    u"最大時間を超えています。", // 86
    u"ホストの起動に失敗しました。", // 87
    u"変更内容が保存されていませんが、終了してもよろしいですか？", // 88
    u"終了してもよろしいですか？", // 89
    u"ワークフォルダが設定されていません。", // 90
    u"ワークフォルダに存在しないパスが設定されています。", // 91
    u"設定ファイルが存在しません。", // 92
    u"設定ファイルの書込みに失敗しました。(静止画デフォルト表示時間)", // 93
    u"設定ファイルの書込みに失敗しました。(エフェクトデフォルト表示時間)", // 94
    u"設定ファイルの書込みに失敗しました。(接続先IPアドレス)", // 95
    u"設定ファイルの書込みに失敗しました。(プレビュー起動モード)", // 96
    u"設定ファイルの書込みに失敗しました。(プレビュー解像度モード)", // 97
    u"設定ファイルの書込みに失敗しました。(カメラID)", // 98
    u"設定ファイルの書込みに失敗しました。(カメラ表示名)", // 99
    u"設定ファイルの書込みに失敗しました。(画像サイズ（幅）)", // 100
    u"設定ファイルの書込みに失敗しました。(画像サイズ（高さ）)", // 101
    u"設定ファイルの書込みに失敗しました。(カメラ台数)", // 102
    u"設定ファイルの書込みに失敗しました。(モニターNo)", // 103
    u"サウンドファイルの読込みに失敗しました。", // 104
    u"動画ファイルの読込みに失敗しました。", // 105
    u"0秒未満は入力できません。", // 106
    u"最大時間を超えています。", // 107
    u"IN点にOUT点を超えた時間は入力できません。", // 108
    u"OUT点にIN点を下回る時間は入力できません。", // 109
    u"指定した時間はエフェクト時間より短い為、設定できません。\n最大時間を設定しますか？", // 110
    u"指定した時間は後方ITEMと重複する為、設定できません。\n最大時間を設定しますか？", // 111
    u"エフェクト時間は、ITEMの再生時間より長い時間は設定できません。", // 112
    u"INエフェクト時間は、OUTエフェクト開始時間より遅くなる時間は設定できません。", // 113
    u"OUTエフェクト時間は、INエフェクト終了時間より早くなる時間は設定できません。", // 114
    u"ファイルが指定されていません。", // 115
    u"指定したファイルが存在しません。", // 116
    u"指定したファイルはフォルダです。", // 117
    u"入力した時間が最大値を超えています。\n「%s」～「%s」 の範囲で入力してください。", // 118
    u"QuickTimeの初期化に失敗しました。 ", // 119
    u"動画のオープンに失敗しました。", // 120
    u"サウンドファイルのオープンに失敗しました。", // 121
    u"画像の読込みに失敗しました。", // 122
};
// clang-format on

constexpr std::array<const char16_t*, kMessageCount * kMessageFormatSlots> MakeFormatTable()
{
    std::array<const char16_t*, kMessageCount * kMessageFormatSlots> table {};
    for (auto& slot : table)
        slot = u"";
    table[27 * kMessageFormatSlots] = u"%d";
    table[30 * kMessageFormatSlots] = u"%d";
    table[32 * kMessageFormatSlots] = u"%d";
    table[36 * kMessageFormatSlots] = u"%s";
    table[80 * kMessageFormatSlots] = u"%d";
    table[81 * kMessageFormatSlots] = u"%s";
    table[118 * kMessageFormatSlots] = u"%s";
    table[118 * kMessageFormatSlots + 1] = u"%s";
    return table;
}

} // namespace

const std::array<const char16_t*, kMessageCount* kMessageFormatSlots> MessageFormatTable = MakeFormatTable();

CMessageCatalog::CMessageCatalog()
{
    m_texts.reserve(kMessageCount);
    for (const char16_t* text : kDefaultMessages)
        m_texts.push_back(QString::fromUtf16(text));
}

int CMessageCatalog::Load()
{
    return LoadFromFolder(platform::ProgramFolder());
}

int CMessageCatalog::LoadFromFolder(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return 0;
    const auto file = LoadProgramDataFile(programFolder, QStringLiteral("Message.dat"));
    if (!file)
        return 1;
    QString errors;
    for (int id = 0; id < kMessageCount; ++id) {
        const QString value = ReadMessageKey(*file, QString::asprintf("MSG_%03d", id + 1));
        if (value.isEmpty())
            continue;
        if (!SetMessage(id, value))
            errors += QStringLiteral("\nメッセージID:%1(%2)").arg(QString::number(id), m_lastError);
    }
    if (errors.isEmpty())
        return 1;
    KaleidraMessageBox(LoadErrorText(errors), platform::MB_OK);
    return 0;
}

QString CMessageCatalog::GetMessage(int id)
{
    m_lastError.clear();
    if (id < 0 || id >= int(m_texts.size())) {
        m_lastError = QStringLiteral("メッセージIDが範囲外です。");
        return {};
    }
    return m_texts[size_t(id)];
}

int CMessageCatalog::SetMessage(int id, const QString& text)
{
    m_lastError.clear();
    if (!CheckFormat(id, text))
        return 0;
    QString stored = text;
    stored.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    m_texts[size_t(id)] = stored;
    return 1;
}

int CMessageCatalog::CheckFormat(int id, const QString& text)
{
    m_lastError.clear();
    if (text.isNull()) {
        m_lastError = QStringLiteral("引数エラーです。");
        return 0;
    }
    if (id < 0 || id >= int(m_texts.size())) {
        m_lastError = QStringLiteral("メッセージIDが範囲外です。");
        return 0;
    }
    if (text.contains(QStringLiteral("%n"))) {
        m_lastError = QStringLiteral("メッセージに[%n]は使用出来ません。");
        return 0;
    }
    // Every '%' must begin the specifier its id expects at that position. A '%' beyond the
    // expected ones is refused as well: the text would otherwise carry a specifier that no
    // argument fills.
    int k = 0;
    for (qsizetype pos = text.indexOf(u'%'); pos >= 0; pos = text.indexOf(u'%', pos + 1), ++k) {
        const QString expected = k < kMessageFormatSlots
            ? QString::fromUtf16(MessageFormatTable[size_t(id * kMessageFormatSlots + k)])
            : QString();
        if (expected.isEmpty()
            || text.mid(pos, expected.size()).compare(expected, Qt::CaseInsensitive) != 0) {
            m_lastError = QStringLiteral("%1番目のフォーマット文字列が一致していません。").arg(k + 1);
            return 0;
        }
    }
    return 1;
}

QString CMessageCatalog::FormatMessage(int id, std::initializer_list<MessageArgument> arguments)
{
    return FillMessageArguments(GetMessage(id), std::span(arguments.begin(), arguments.size()));
}

QString CMessageCatalog::ReadMessageKey(const platform::CProfileFile& file, const QString& key)
{
    return file.String(QStringLiteral("MESSAGE"), key, QString(), platform::kProfileValueLimit);
}

QString CMessageCatalog::LoadErrorText(const QString& errors)
{
    return QStringLiteral("メッセージデータの読込みに失敗しました。\n") + errors;
}

QString FillMessageArguments(const QString& text, std::span<const MessageArgument> arguments)
{
    QString result;
    result.reserve(text.size());
    size_t next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar kind = i + 1 < text.size() ? text[i + 1].toLower() : QChar();
        if (c != u'%' || (kind != u'%' && kind != u'd' && kind != u's')) {
            result += c;
            continue;
        }
        ++i;
        if (kind == u'%') {
            result += u'%';
        } else if (next < arguments.size()) {
            const MessageArgument& argument = arguments[next++];
            if (const auto* number = std::get_if<qint64>(&argument))
                result += QString::number(*number);
            else
                result += std::get<QString>(argument);
        } else {
            result += c;
            result += text[i];
        }
    }
    return result;
}
