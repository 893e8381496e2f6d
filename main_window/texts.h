// The main window's own words: captions, status texts and the warnings of its commands.
#pragma once

#include <QString>

namespace main_window::texts {

inline const QString kDesignCaption = QStringLiteral("65ｋ色Varnello");

// Status label Label1.
inline const QString kConverting = QStringLiteral("変換中．．．");
inline const QString kConverted = QStringLiteral("変換完了!!");
inline const QString kBinSaved = QStringLiteral("ＢＩＮファイル保存終了!!");
inline const QString kBmpSaved = QStringLiteral("ＢＭＰファイル保存終了!!");
inline const QString kCleared = QStringLiteral(" ");

// Message box titles.
inline const QString kWarningTitle = QStringLiteral("警告");
inline const QString kNoticeTitle = QStringLiteral("通知");
inline const QString kConfirmTitle = QStringLiteral("確認");

// Warnings for failures that would otherwise pass unnoticed.
inline const QString kConversionFailed =
    QStringLiteral("メモリが足りないため、変換できませんでした。");
inline const QString kCannotConvert = QStringLiteral("変換できませんでした。");
inline const QString kSettingsNotSaved =
    QStringLiteral("設定を保存できませんでした。この設定はプログラムを終了するまで使います。");
inline const QString kCannotLoad = QStringLiteral("画像ファイルを読み込めませんでした。");
inline const QString kCannotSave = QStringLiteral("ファイルを保存できませんでした。");
inline const QString kNothingConverted =
    QStringLiteral("変換されていません。先に変換してください。");
inline const QString kChooseOnePicture = QStringLiteral("画像ファイルを１つだけ選んでください。");
inline const QString kWouldReplaceSource =
    QStringLiteral("開いている画像ファイルには保存できません。別の名前を指定してください。");
inline const QString kReplaceExisting =
    QStringLiteral("同じ名前のファイルが既にあります。置き換えますか？");

// Filters of the save dialogs; the open dialogs' is the batch run's kPictureFilter.
inline const QString kBinFilter = QStringLiteral("Binary(*.BIN)|*.BIN");
inline const QString kBmpFilter = QStringLiteral("*.BMP|*.BMP");

} // namespace main_window::texts
