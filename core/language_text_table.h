#pragma once

// Every text of the editor's language table, in loading order: section and key in
// "Language.dat", the getter of CLanguageData, and the built-in default.
//   TEXT(section, key, getter, default)
//   UNREAD(section, key, default): read from the file, but nothing shows it.
// The INISET_PREVIEW_TAB comments begin with ideographic spaces that belong to the text.

// The support page the help menu opens.
#define KALEIDRA_SUPPORT_URL_DEFAULT u"https://www.oxtrel.com/support/kaleidra/"

// clang-format off
#define KALEIDRA_LANGUAGE_TEXTS(TEXT, UNREAD) \
    TEXT(FILE_MENU, FILE_MENU_FILE, GetFileMenuFile, u"ファイル") \
    TEXT(FILE_MENU, FILE_MENU_NEW, GetFileMenuNew, u"新規作成") \
    TEXT(FILE_MENU, FILE_MENU_OPEN, GetFileMenuOpen, u"プロジェクトを開く") \
    TEXT(FILE_MENU, FILE_MENU_SAVE, GetFileMenuSave, u"保存") \
    TEXT(FILE_MENU, FILE_MENU_SAVE_AS, GetFileMenuSaveAs, u"別名で保存") \
    TEXT(FILE_MENU, FILE_MENU_CLOSE, GetFileMenuClose, u"プロジェクトを閉じる") \
    TEXT(FILE_MENU, FILE_MENU_EXPORT, GetFileMenuExport, u"パッケージを作成") \
    TEXT(FILE_MENU, FILE_MENU_IMPORT, GetFileMenuImport, u"パッケージを展開") \
    TEXT(FILE_MENU, FILE_MENU_EXIT, GetFileMenuExit, u"アプリケーションの終了") \
    TEXT(EDIT_MENU, EDIT_MENU_EDIT, GetEditMenuEdit, u"編集") \
    TEXT(EDIT_MENU, EDIT_MENU_UNDO, GetEditMenuUndo, u"元に戻す") \
    TEXT(EDIT_MENU, EDIT_MENU_REDO, GetEditMenuRedo, u"やり直し") \
    TEXT(EDIT_MENU, EDIT_MENU_FACE_ADD, GetEditMenuFaceAdd, u"FACE追加") \
    TEXT(EDIT_MENU, EDIT_MENU_COPY, GetEditMenuCopy, u"コピー") \
    TEXT(EDIT_MENU, EDIT_MENU_ALL_DELETE, GetEditMenuAllDelete, u"選択ITEM全削除") \
    TEXT(EDIT_MENU, EDIT_MENU_LEFT, GetEditMenuLeft, u"前に詰める") \
    TEXT(EDIT_MENU, EDIT_MENU_RIGHT, GetEditMenuRight, u"後ろに詰める") \
    TEXT(EDIT_MENU, EDIT_MENU_CUT, GetEditMenuCut, u"分割") \
    TEXT(EDIT_MENU, EDIT_MENU_IN, GetEditMenuIn, u"IN点設定") \
    TEXT(EDIT_MENU, EDIT_MENU_OUT, GetEditMenuOut, u"OUT点設定") \
    TEXT(ALIGN_MENU, ALIGN_MENU_ALIGN, GetAlignMenuAlign, u"整列") \
    TEXT(ALIGN_MENU, ALIGN_MENU_START_TIME, GetAlignMenuStartTime, u"開始時間") \
    TEXT(ALIGN_MENU, ALIGN_MENU_PLAY_TIME, GetAlignMenuPlayTime, u"再生時間") \
    TEXT(ALIGN_MENU, ALIGN_MENU_START_EARLY, GetAlignMenuStartEarly, u"最も早いITEMに合わせる") \
    TEXT(ALIGN_MENU, ALIGN_MENU_START_LATE, GetAlignMenuStartLate, u"最も遅いITEMに合わせる") \
    TEXT(ALIGN_MENU, ALIGN_MENU_PLAY_SHORT, GetAlignMenuPlayShort, u"最も短いITEMに合わせる") \
    TEXT(ALIGN_MENU, ALIGN_MENU_PLAY_LONG, GetAlignMenuPlayLong, u"最も長いITEMに合わせる") \
    TEXT(CONTROL_MENU, CONTROL_MENU_CONTROL, GetControlMenuControl, u"コントロール") \
    TEXT(VIEW_MENU, VIEW_MENU_VIEW, GetViewMenuView, u"表示") \
    TEXT(VIEW_MENU, VIEW_MENU_PREVIEW, GetViewMenuPreview, u"プレビュー") \
    TEXT(VIEW_MENU, VIEW_MENU_PROPETY, GetViewMenuPropety, u"プロパティ") \
    TEXT(VIEW_MENU, VIEW_MENU_EFFECT, GetViewMenuEffect, u"エフェクト") \
    TEXT(VIEW_MENU, VIEW_MENU_FILTER, GetViewMenuFilter, u"フィルター") \
    TEXT(REMOTE_MENU, REMOTE_MENU_REMOTE, GetRemoteMenuRemote, u"リモート") \
    TEXT(REMOTE_MENU, REMOTE_MENU_CONNECT, GetRemoteMenuConnect, u"接続") \
    TEXT(REMOTE_MENU, REMOTE_MENU_DISCONNECT, GetRemoteMenuDisconnect, u"切断") \
    TEXT(REMOTE_MENU, REMOTE_MENU_HOST, GetRemoteMenuHost, u"ホスト起動") \
    TEXT(SETTING_MENU, SETTING_MENU_SETTING, GetSettingMenuSetting, u"設定") \
    TEXT(SETTING_MENU, SETTING_MENU_INI, GetSettingMenuIni, u"各種設定") \
    TEXT(SETTING_MENU, SETTING_MENU_CAMERA, GetSettingMenuCamera, u"カメラ設定") \
    TEXT(HELP_MENU, HELP_MENU_HELP, GetHelpMenuHelp, u"ヘルプ") \
    TEXT(HELP_MENU, HELP_MENU_MANUAL, GetHelpMenuManual, u"マニュアル") \
    TEXT(HELP_MENU, HELP_MENU_SUPPORT, GetHelpMenuSupport, u"サポートページ") \
    TEXT(HELP_MENU, HELP_MENU_VERSION, GetHelpMenuVersion, u"バージョン情報") \
    TEXT(POP_SET_MENU, POP_SET_MENU_SET, GetPopSetMenuSet, u"設定") \
    TEXT(POP_SET_MENU, POP_SET_MENU_PROPETY, GetPopSetMenuPropety, u"プロパティ") \
    TEXT(POP_SET_MENU, POP_SET_MENU_EFFECT, GetPopSetMenuEffect, u"エフェクト") \
    TEXT(POP_SET_MENU, POP_SET_MENU_FILTER, GetPopSetMenuFilter, u"フィルター") \
    TEXT(POP_FACE_MENU, POP_FACE_MENU_FACE, GetPopFaceMenuFace, u"FACE") \
    TEXT(POP_FACE_MENU, POP_FACE_MENU_ADD, GetPopFaceMenuAdd, u"追加") \
    TEXT(POP_FACE_MENU, POP_FACE_MENU_DELETE, GetPopFaceMenuDelete, u"削除") \
    TEXT(POP_FACE_MENU, POP_FACE_MENU_INSERT, GetPopFaceMenuInsert, u"挿入") \
    UNREAD(POP_FACE_MENU, POP_FACE_MENU_POS_COPY, u"表示位置コピー") \
    UNREAD(POP_FACE_MENU, POP_FACE_MENU_POS_PASTE, u"表示位置貼り付け") \
    TEXT(POP_FACE_MENU, POP_FACE_MENU_POS_CLEAR, GetPopFaceMenuPosClear, u"表示位置クリア") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_ITEM, GetPopItemMenuItem, u"ITEM") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_ADD, GetPopItemMenuAdd, u"追加") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_DELETE, GetPopItemMenuDelete, u"削除") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_ALL_DELETE, GetPopItemMenuAllDelete, u"選択ITEM全削除") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_EFFECT, GetPopItemMenuEffect, u"エフェクト") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_DSP_CHANGE, GetPopItemMenuDisplayChange, u"表示切換え") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_EFFECT_COPY, GetPopItemMenuEffectCopy, u"コピー") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_EFFECT_PASTE, GetPopItemMenuEffectPaste, u"貼り付け") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_IN_OUT_CLEAR, GetPopItemMenuInOutClear, u"IN、OUTクリア") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_IN_CLEAR, GetPopItemMenuInClear, u"INクリア") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_OUT_CLEAR, GetPopItemMenuOutClear, u"OUTクリア") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_FILTER, GetPopItemMenuFilter, u"フィルター") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_FILTER_COPY, GetPopItemMenuFilterCopy, u"コピー") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_FILTER_PASTE, GetPopItemMenuFilterPaste, u"貼り付け") \
    TEXT(POP_ITEM_MENU, POP_ITEM_MENU_CLEAR, GetPopItemMenuClear, u"クリア") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_EDIT, GetPopEditMenuEdit, u"編集") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_COPY, GetPopEditMenuCopy, u"コピー") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_PASTE, GetPopEditMenuPaste, u"貼り付け") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_ALL_SELECT, GetPopEditMenuAllSelect, u"FACEの全ITEMを選択") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_LEFT, GetPopEditMenuLeft, u"前へ詰める") \
    TEXT(POP_EDIT_MENU, POP_EDIT_MENU_RIGHT, GetPopEditMenuRight, u"後ろへ詰める") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_ALIGN, GetPopAlignMenuAlign, u"整列") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_START_TIME, GetPopAlignMenuStartTime, u"開始時間") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_PLAY_TIME, GetPopAlignMenuPlayTime, u"再生時間") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_START_EARLY, GetPopAlignMenuStartEarly, u"最も早いITEMに合わせる") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_START_LATE, GetPopAlignMenuStartLate, u"最も遅いITEMに合わせる") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_PLAY_SHORT, GetPopAlignMenuPlayShort, u"最も短いITEMに合わせる") \
    TEXT(POP_ALIGN_MENU, POP_ALIGN_MENU_PLAY_LONG, GetPopAlignMenuPlayLong, u"最も長いITEMに合わせる") \
    TEXT(STARTUP_DLG, ST_TITLE, GetStTitle, u"スタートアップ") \
    TEXT(STARTUP_DLG, ST_BTN_NEW, GetStBtnNew, u"プロジェクトの新規作成") \
    TEXT(STARTUP_DLG, ST_BTN_OPEN, GetStBtnOpen, u"既存のプロジェクトを開く") \
    TEXT(STARTUP_DLG, ST_CAP_PROJECT, GetStCaptionProject, u"最近使ったプロジェクト") \
    TEXT(ADDNEW_DLG, AD_TITLE_ADDNEW, GetAdTitleAddnew, u"プロジェクトの新規作成") \
    TEXT(ADDNEW_DLG, AD_TITLE_SAVE_AS, GetAdTitleSaveAs, u"プロジェクトの別名保存") \
    TEXT(ADDNEW_DLG, AD_CAP_SAVE_TO, GetAdCaptionSaveTo, u"プロジェクトファイル保存先") \
    TEXT(ADDNEW_DLG, AD_CAP_PROJECT_NAME, GetAdCaptionProjectName, u"プロジェクト名") \
    TEXT(ADDNEW_DLG, AD_CAP_PROJECT_TIME, GetAdCaptionProjectTime, u"プロジェクト時間") \
    TEXT(ADDNEW_DLG, AD_BTN_OK, GetAdBtnOk, u"OK") \
    TEXT(ADDNEW_DLG, AD_BTN_CANCEL, GetAdBtnCancel, u"キャンセル") \
    TEXT(TIMELINE, TL_CAP_CONTROL, GetTlCaptionControl, u"コントロール") \
    TEXT(TIMELINE, TL_CAP_NOWTIME, GetTlCaptionNowtime, u"現在時間") \
    TEXT(TIMELINE, TL_CAP_PLAYTIME, GetTlCaptionPlaytime, u"再生時間") \
    TEXT(TIMELINE, TL_CAP_PROJECTTIME, GetTlCaptionProjecttime, u"プロジェクト") \
    TEXT(TIMELINE, TL_ITEM_CAMERA_NONE, GetTimelineItemCameraNone, u"未設定") \
    TEXT(SETTING_DLG, SD_TITLE, GetSdTitle, u"設定") \
    TEXT(PROPETY_DLG, PD_CAP_FACE, GetPdCaptionFace, u"FACE") \
    TEXT(PROPETY_DLG, PD_CAP_START_TIME, GetPdCaptionStartTime, u"開始時間") \
    TEXT(PROPETY_DLG, PD_CAP_PLAY_TIME, GetPdCaptionPlayTime, u"再生時間") \
    TEXT(PROPETY_DLG, PD_CAP_MODE, GetPdCaptionMode, u"モード") \
    TEXT(PROPETY_DLG, PD_CAP_FILE, GetPdCaptionFile, u"ファイル名") \
    TEXT(PROPETY_DLG, PD_CAP_PLAY_MODE, GetPdCaptionPlayMode, u"再生モード") \
    TEXT(PROPETY_DLG, PD_CAP_LINK_FACE, GetPdCaptionLinkFace, u"Link Face") \
    TEXT(PROPETY_DLG, PD_CAP_CAMERA, GetPdCaptionCamera, u"カメラ") \
    TEXT(PROPETY_DLG, PD_CAP_IMAGE_SIZE, GetPdCaptionImageSize, u"画像サイズ") \
    TEXT(PROPETY_DLG, PD_CAP_PREVIEW, GetPdCaptionPreview, u"プレビュー") \
    TEXT(PROPETY_DLG, PD_CAP_MASK, GetPdCaptionMask, u"形状") \
    TEXT(PROPETY_DLG, PD_CAP_MASK_IMAGE, GetPdCaptionMaskImage, u"画像マスク") \
    TEXT(PROPETY_DLG, PD_CAP_POS, GetPdCaptionPos, u"位置") \
    TEXT(PROPETY_DLG, PD_CAP_LEFTTOP, GetPdCaptionLefttop, u"左上") \
    TEXT(PROPETY_DLG, PD_CAP_WIDTH, GetPdCaptionWidth, u"幅") \
    TEXT(PROPETY_DLG, PD_CAP_HEIGHT, GetPdCaptionHeight, u"高さ") \
    TEXT(PROPETY_DLG, PD_CAP_PREVIEW_TIME, GetPdCaptionPreviewTime, u"プレビュー時間") \
    TEXT(PROPETY_DLG, PD_CAP_VOLUME, GetPdCaptionVolume, u"音量") \
    TEXT(PROPETY_DLG, PD_CAP_MUTE, GetPdCaptionMute, u"消音") \
    TEXT(PROPETY_DLG, PD_PLAYMODE_NORMAL, GetPdPlaymodeNormal, u"ノーマル") \
    TEXT(PROPETY_DLG, PD_PLAYMODE_LOOP, GetPdPlaymodeLoop, u"ループ") \
    TEXT(PROPETY_DLG, PD_MASKTYPE_SQUARE, GetPdMasktypeSquare, u"四角") \
    TEXT(PROPETY_DLG, PD_MASKTYPE_CIRCLE, GetPdMasktypeCircle, u"丸") \
    TEXT(PROPETY_DLG, PD_MASKTYPE_IMAGE, GetPdMasktypeImage, u"画像") \
    TEXT(EFFECT_DLG, ED_CAP_FACE, GetEdCaptionFace, u"FACE") \
    TEXT(EFFECT_DLG, ED_CAP_START_TIME, GetEdCaptionStartTime, u"開始時間") \
    TEXT(EFFECT_DLG, ED_CAP_PLAY_TIME, GetEdCaptionPlayTime, u"再生時間") \
    TEXT(EFFECT_DLG, ED_CAP_MODE, GetEdCaptionMode, u"モード") \
    TEXT(EFFECT_DLG, ED_CAP_IN_EFFECT, GetEdCaptionInEffect, u"INエフェクト") \
    TEXT(EFFECT_DLG, ED_CAP_OUT_EFFECT, GetEdCaptionOutEffect, u"OUTエフェクト") \
    TEXT(EFFECT_DLG, ED_CAP_TIME, GetEdCaptionTime, u"時間") \
    TEXT(EFFECT_DLG, ED_CAP_DIRECTION, GetEdCaptionDirection, u"方向") \
    TEXT(FILTER_DLG, FD_CAP_FACE, GetFdCaptionFace, u"FACE") \
    TEXT(FILTER_DLG, FD_CAP_START_TIME, GetFdCaptionStartTime, u"開始時間") \
    TEXT(FILTER_DLG, FD_CAP_PLAY_TIME, GetFdCaptionPlayTime, u"再生時間") \
    TEXT(FILTER_DLG, FD_CAP_MODE, GetFdCaptionMode, u"モード") \
    TEXT(FILTER_DLG, FD_CAP_FILTER, GetFdCaptionFilter, u"フィルター") \
    TEXT(EXPORT_DLG, EX_TITLE, GetExTitle, u"パッケージを作成") \
    TEXT(EXPORT_DLG, EX_CAP_PROJECT, GetExCaptionProject, u"パッケージ化するプロジェクトファイルを選択してください") \
    TEXT(EXPORT_DLG, EX_CAP_FOLDER, GetExCaptionFolder, u"パッケージファイルを保存するフォルダを選択してください") \
    TEXT(EXPORT_DLG, EX_BTN_OK, GetExBtnOk, u"OK") \
    TEXT(EXPORT_DLG, EX_BTN_CANCEL, GetExBtnCancel, u"キャンセル") \
    TEXT(IMPORT_DLG, IM_TITLE, GetImTitle, u"パッケージを展開") \
    TEXT(IMPORT_DLG, IM_CAP_PACKAGE, GetImCaptionPackage, u"展開するパッケージファイルを選択してください") \
    TEXT(IMPORT_DLG, IM_CAP_PROJECT, GetImCaptionProject, u"プロジェクトファイルの出力先フォルダを選択してください") \
    TEXT(IMPORT_DLG, IM_CAP_DATA, GetImCaptionData, u"素材データの出力先フォルダを選択してください") \
    TEXT(IMPORT_DLG, IM_BTN_OK, GetImBtnOk, u"OK") \
    TEXT(IMPORT_DLG, IM_BTN_CANCEL, GetImBtnCancel, u"キャンセル") \
    TEXT(INISET_DLG, ID_TITLE, GetIdTitle, u"各種設定") \
    TEXT(INISET_DLG, ID_BTN_OK, GetIdBtnOk, u"OK") \
    TEXT(INISET_DLG, ID_BTN_CANCEL, GetIdBtnCancel, u"キャンセル") \
    TEXT(INISET_TIME_TAB, ID_TIMETAB_CAP_IMAGE, GetIdTimetabCaptionImage, u"静止画デフォルト表示時間") \
    TEXT(INISET_TIME_TAB, ID_TIMETAB_CAP_EFFECT, GetIdTimetabCaptionEffect, u"エフェクトデフォルト表示時間") \
    TEXT(INISET_REMOTE_TAB, ID_REMOTETAB_CAP_IP, GetIdRemotetabCaptionIp, u"接続先IPアドレス") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_BOOT, GetIdPretabCaptionBoot, u"プレビュー起動モード") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_RESO, GetIdPretabCaptionReso, u"解像度モード") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_PROJECTOR_DSP_NO, GetIdPretabCaptionProjectorDspNo, u"プロジェクター表示No") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_DSP_NO_COMMENT_1, GetIdPretabCaptionDspNoComment1, u"　※プロジェクターに表示されない場合、設定を変更") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_DSP_NO_COMMENT_2, GetIdPretabCaptionDspNoComment2, u"　してください。正常時に設定を変更すると、正しく") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_DSP_NO_COMMENT_3, GetIdPretabCaptionDspNoComment3, u"　表示されない場合があります。") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_COMMENT_1, GetIdPretabCaptionComment1, u"　　※プレビューの設定を変更した場合、") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_CAP_COMMENT_2, GetIdPretabCaptionComment2, u"　　　　　　　　　　　　プレビューを再起動します。") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_MODE_DUAL, GetIdPretabModeDual, u"デュアル（通常）") \
    TEXT(INISET_PREVIEW_TAB, ID_PRETAB_MODE_SINGLE, GetIdPretabModeSingle, u"シングル（投影のみ）") \
    TEXT(CAMSET_DLG, CD_TITLE, GetCdTitle, u"カメラ設定") \
    TEXT(CAMSET_DLG, CD_CAP_CAMERA, GetCdCaptionCamera, u"カメラ選択") \
    TEXT(CAMSET_DLG, CD_CAP_NAME, GetCdCaptionName, u"表示名") \
    TEXT(CAMSET_DLG, CD_CAP_IMAGE_SIZE, GetCdCaptionImageSize, u"画像サイズ") \
    TEXT(CAMSET_DLG, CD_CAP_CAMERA_IMAGE, GetCdCaptionCameraImage, u"カメラ画像") \
    TEXT(CAMSET_DLG, CD_BTN_SEARCH, GetCdBtnSearch, u"検出") \
    TEXT(CAMSET_DLG, CD_BTN_OK, GetCdBtnOk, u"OK") \
    TEXT(CAMSET_DLG, CD_BTN_CANCEL, GetCdBtnCancel, u"キャンセル") \
    TEXT(VER_DLG, VD_TITLE, GetVdTitle, u"バージョン情報") \
    TEXT(VER_DLG, VD_BTN_OK, GetVdBtnOk, u"OK") \
    TEXT(FILE_SELECT_DLG, FILE_TYPE_PROJECT, GetFileTypeProject, u"プロジェクトファイル") \
    TEXT(FILE_SELECT_DLG, FILE_TYPE_PACKAGE, GetFileTypePackage, u"パッケージファイル") \
    TEXT(FILE_SELECT_DLG, FILE_TYPE_ALL_MOVIE, GetFileTypeAllMovie, u"すべてのムービーファイル") \
    TEXT(FILE_SELECT_DLG, FILE_TYPE_ALL_PICTURE, GetFileTypeAllPicture, u"すべてのピクチャファイル") \
    TEXT(FILE_SELECT_DLG, FILE_TYPE_ALL_SOUND, GetFileTypeAllSound, u"すべてのサウンドファイル") \
    TEXT(SUPPORT_PAGE, SUPPORT_URL_PRO, GetSupportUrlPro, KALEIDRA_SUPPORT_URL_DEFAULT) \
    TEXT(DEFAULT_NAME, CAMERA_NAME, GetCameraName, u"カメラ")
// clang-format on
