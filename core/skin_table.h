#pragma once

// Every value of the skin, in reading order, with its built-in default.
//   COLOR(section, key, red, green, blue)
//   IMAGE(section, key, default file name relative to the skin folder, '\' as on Windows)
//   FONT(section, face key, size key, default size in tenths of a point, face getter);
//        every font's default face is "Meiryo UI".

// clang-format off
#define KALEIDRA_SKIN_COLORS(COLOR) \
    COLOR(COMMON_COLOR, COLOR_BACKGROUND, 128,128,128) \
    COLOR(COMMON_COLOR, COLOR_TITLE_BK1, 60,60,60) \
    COLOR(COMMON_COLOR, COLOR_TITLE_BK2, 34,34,34) \
    COLOR(COMMON_COLOR, COLOR_EDIT_BK, 70,70,70) \
    COLOR(COMMON_COLOR, COLOR_TEXT, 255,255,255) \
    COLOR(COMMON_COLOR, COLOR_TEXT_NOWTIME, 244,211,112) \
    COLOR(COMMON_COLOR, COLOR_SETTING_BK, 101,101,101) \
    COLOR(COMMON_COLOR, COLOR_SEPARATE_LINE, 128,128,128) \
    COLOR(COMMON_COLOR, COLOR_SEPARATE_LINE_SD, 64,64,64) \
    COLOR(TIMELINE_COLOR, COLOR_TIMELINE_BK, 43,43,43) \
    COLOR(TIMELINE_COLOR, COLOR_FACE_BORDER, 121,121,121) \
    COLOR(TIMELINE_COLOR, COLOR_SCALE_LINE, 121,121,121) \
    COLOR(TIMELINE_COLOR, COLOR_SCALE_LINE_SD, 90,90,90) \
    COLOR(TIMELINE_COLOR, COLOR_SCALE_FACE_LINE, 82,82,82) \
    COLOR(TIMELINE_COLOR, COLOR_NOWTIME_LINE, 255,51,0) \
    COLOR(TIMELINE_COLOR, COLOR_NOWTIME_LINE_SD, 79,78,78) \
    COLOR(TIMELINE_COLOR, COLOR_NOWTIME_ARROW, 255,51,0) \
    COLOR(TIMELINE_COLOR, COLOR_EFFECT_LINE, 200,200,200) \
    COLOR(TIMELINE_COLOR, COLOR_EFFECT_LINE_SD, 128,128,128) \
    COLOR(TIMELINE_COLOR, COLOR_INOUT_LINE, 255,204,0) \
    COLOR(TIMELINE_COLOR, COLOR_INOUT_LINE_SD, 104,103,101) \
    COLOR(TIMELINE_COLOR, COLOR_INOUT_ARROW, 255,204,0) \
    COLOR(TIMELINE_COLOR, COLOR_TOTALTIME_LINE, 255,255,255) \
    COLOR(TIMELINE_COLOR, COLOR_TOTALTIME_LINE_SD, 51,51,51) \
    COLOR(TIMELINE_COLOR, COLOR_PLAYRANGE_MASK, 0,0,0) \
    COLOR(TIMELINE_COLOR, COLOR_ITEMTEXT, 255,255,255) \
    COLOR(TIMELINE_COLOR, COLOR_ITEMTEXT_FOCUS, 0,0,0) \
    COLOR(TIMELINE_COLOR, COLOR_ITEMTEXT_DISABLE, 128,128,128) \
    COLOR(TIMELINE_COLOR, COLOR_SCALE_TEXT, 255,255,255) \
    COLOR(TIMELINE_COLOR, COLOR_SCALE_TEXT_DISABLE, 90,90,90) \
    COLOR(TIMELINE_COLOR, COLOR_EFFECTTEXT, 128,128,128) \
    COLOR(TIMELINE_COLOR, COLOR_EFFECTTEXT_FOCUS, 255,255,255) \
    COLOR(TIMELINE_COLOR, COLOR_FACE_BK0_TOP, 75,75,75) \
    COLOR(TIMELINE_COLOR, COLOR_FACE_BK0_UNDER, 65,65,65) \
    COLOR(TIMELINE_COLOR, COLOR_FACE_BK1_TOP, 50,50,50) \
    COLOR(TIMELINE_COLOR, COLOR_FACE_BK1_UNDER, 45,45,45) \
    COLOR(TIMELINE_COLOR, COLOR_HEADER_BK_TOP, 60,60,60) \
    COLOR(TIMELINE_COLOR, COLOR_HEADER_BK_UNDER, 30,30,30)

#define KALEIDRA_SKIN_IMAGES(IMAGE) \
    IMAGE(COMMON_IMAGE, SPLASH_PRO, u"SPLASH\\kaleidrapro_splashwindow.png") \
    IMAGE(COMMON_IMAGE, BTN_BROWS_NORMAL, u"btn_brows_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_BROWS_NOT, u"btn_brows_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_BROWS_OVER, u"btn_brows_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_BROWS_PRESS, u"btn_brows_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_CAPTURE_NORMAL, u"btn_capture_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_CAPTURE_NOT, u"btn_capture_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_CAPTURE_OVER, u"btn_capture_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_CAPTURE_PRESS, u"btn_capture_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_GUIDE_NORMAL, u"btn_guide_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_GUIDE_NOT, u"btn_guide_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_GUIDE_OVER, u"btn_guide_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_GUIDE_PRESS, u"btn_guide_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_IN_NORMAL, u"btn_in_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_IN_NOT, u"btn_in_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_IN_OVER, u"btn_in_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_IN_PRESS, u"btn_in_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_LOOP_NORMAL, u"btn_loop_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_LOOP_NOT, u"btn_loop_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_LOOP_OVER, u"btn_loop_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_LOOP_PRESS, u"btn_loop_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_MASK_OFF, u"btn_mask_off.bmp") \
    IMAGE(COMMON_IMAGE, BTN_MASK_ON, u"btn_mask_on.bmp") \
    IMAGE(COMMON_IMAGE, BTN_OUT_NORMAL, u"btn_out_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_OUT_NOT, u"btn_out_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_OUT_OVER, u"btn_out_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_OUT_PRESS, u"btn_out_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PAUSE_NORMAL, u"btn_pause2_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PAUSE_NOT, u"btn_pause2_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PAUSE_OVER, u"btn_pause2_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PAUSE_PRESS, u"btn_pause2_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PULLDOWN_NORMAL, u"btn_pull-down_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PULLDOWN_NOT, u"btn_pull-down_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_PULLDOWN_OVER, u"") \
    IMAGE(COMMON_IMAGE, BTN_PULLDOWN_PRESS, u"btn_pull-down_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REMOTE_NORMAL, u"btn_remote_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REMOTE_NOT, u"btn_remote_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REMOTE_OVER, u"btn_remote_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REMOTE_PRESS, u"btn_remote_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REPLAY_NORMAL, u"btn_replay_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REPLAY_NOT, u"btn_replay_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REPLAY_OVER, u"btn_replay_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_REPLAY_PRESS, u"btn_replay_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SCREEN_NORMAL, u"btn_screen_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SCREEN_NOT, u"btn_screen_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SCREEN_OVER, u"btn_screen_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SCREEN_PRESS, u"btn_screen_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SEARCH_NORMAL, u"btn_search_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SEARCH_NOT, u"btn_search_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SEARCH_OVER, u"btn_search_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SEARCH_PRESS, u"btn_search_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINDOWN_NORMAL, u"btn_spindown_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINDOWN_NOT, u"btn_spindown_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINDOWN_OVER, u"btn_spindown_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINDOWN_PRESS, u"btn_spindown_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINUP_NORMAL, u"btn_spinup_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINUP_NOT, u"btn_spinup_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINUP_OVER, u"btn_spinup_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_SPINUP_PRESS, u"btn_spinup_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_START_NORMAL, u"btn_start_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_START_NOT, u"btn_start_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_START_OVER, u"btn_start_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_START_PRESS, u"btn_start_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_STOP_NORMAL, u"btn_stop_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_STOP_NOT, u"btn_stop_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_STOP_OVER, u"btn_stop_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_STOP_PRESS, u"btn_stop_press.bmp") \
    IMAGE(COMMON_IMAGE, BTN_TOP_NORMAL, u"btn_top_normal.bmp") \
    IMAGE(COMMON_IMAGE, BTN_TOP_NOT, u"btn_top_not.bmp") \
    IMAGE(COMMON_IMAGE, BTN_TOP_OVER, u"btn_top_over.bmp") \
    IMAGE(COMMON_IMAGE, BTN_TOP_PRESS, u"btn_top_press.bmp") \
    IMAGE(COMMON_IMAGE, BUTTON_1_NORMAL, u"button_36-158_normal.png") \
    IMAGE(COMMON_IMAGE, BUTTON_1_NOT, u"button_36-158_not.png") \
    IMAGE(COMMON_IMAGE, BUTTON_1_OVER, u"button_36-158_over.png") \
    IMAGE(COMMON_IMAGE, BUTTON_1_PRESS, u"button_36-158_press.png") \
    IMAGE(COMMON_IMAGE, BUTTON_2_NORMAL, u"button_36-78_normal.png") \
    IMAGE(COMMON_IMAGE, BUTTON_2_NOT, u"button_36-78_not.png") \
    IMAGE(COMMON_IMAGE, BUTTON_2_OVER, u"button_36-78_over.png") \
    IMAGE(COMMON_IMAGE, BUTTON_2_PRESS, u"button_36-78_press.png") \
    IMAGE(COMMON_IMAGE, CHECK_SQUARE_OFF, u"check_square_off.png") \
    IMAGE(COMMON_IMAGE, CHECK_SQUARE_ON, u"check_square_on1.png") \
    IMAGE(COMMON_IMAGE, IMG_CAMPREVIEW, u"img_campreview.bmp") \
    IMAGE(COMMON_IMAGE, IMG_VOL0, u"img_vol0.bmp") \
    IMAGE(COMMON_IMAGE, IMG_VOL100, u"img_vol100.bmp") \
    IMAGE(COMMON_IMAGE, IMG_PREVIEWSTART, u"img_previewstart.png") \
    IMAGE(COMMON_IMAGE, IMG_WAIT, u"img_wait.png") \
    IMAGE(COMMON_IMAGE, SLIDER, u"slider.png") \
    IMAGE(COMMON_IMAGE, TAB_EFFECTS_NORMAL, u"tab_effects_normal.bmp") \
    IMAGE(COMMON_IMAGE, TAB_EFFECTS_NOT, u"tab_effects_not.bmp") \
    IMAGE(COMMON_IMAGE, TAB_EFFECTS_OVER, u"tab_effects_over.bmp") \
    IMAGE(COMMON_IMAGE, TAB_EFFECTS_PRESS, u"tab_effects_press.bmp") \
    IMAGE(COMMON_IMAGE, TAB_FILTER_NORMAL, u"tab_filter_normal.bmp") \
    IMAGE(COMMON_IMAGE, TAB_FILTER_NOT, u"tab_filter_not.bmp") \
    IMAGE(COMMON_IMAGE, TAB_FILTER_OVER, u"tab_filter_over.bmp") \
    IMAGE(COMMON_IMAGE, TAB_FILTER_PRESS, u"tab_filter_press.bmp") \
    IMAGE(COMMON_IMAGE, TAB_NON_NORMAL, u"tab_non_normal.bmp") \
    IMAGE(COMMON_IMAGE, TAB_NON_NOT, u"tab_non_not.bmp") \
    IMAGE(COMMON_IMAGE, TAB_NON_OVER, u"tab_non_over.bmp") \
    IMAGE(COMMON_IMAGE, TAB_NON_PRESS, u"tab_non_press.bmp") \
    IMAGE(COMMON_IMAGE, TAB_PROPERTY_NORMAL, u"tab_property_normal.bmp") \
    IMAGE(COMMON_IMAGE, TAB_PROPERTY_NOT, u"tab_property_not.bmp") \
    IMAGE(COMMON_IMAGE, TAB_PROPERTY_OVER, u"tab_property_over.bmp") \
    IMAGE(COMMON_IMAGE, TAB_PROPERTY_PRESS, u"tab_property_press.bmp") \
    IMAGE(COMMON_IMAGE, TAB_REMOTE_NORMAL, u"tab_remote_normal.png") \
    IMAGE(COMMON_IMAGE, TAB_REMOTE_NOT, u"tab_remote_not.png") \
    IMAGE(COMMON_IMAGE, TAB_REMOTE_OVER, u"tab_remote_over.png") \
    IMAGE(COMMON_IMAGE, TAB_REMOTE_PRESS, u"tab_remote_press.png") \
    IMAGE(COMMON_IMAGE, TAB_TIME_NORMAL, u"tab_time_normal.png") \
    IMAGE(COMMON_IMAGE, TAB_TIME_NOT, u"tab_time_not.png") \
    IMAGE(COMMON_IMAGE, TAB_TIME_OVER, u"tab_time_over.png") \
    IMAGE(COMMON_IMAGE, TAB_TIME_PRESS, u"tab_time_press.png") \
    IMAGE(COMMON_IMAGE, TAB_VIEWER_NORMAL, u"tab_viewer_normal.png") \
    IMAGE(COMMON_IMAGE, TAB_VIEWER_NOT, u"tab_viewer_not.png") \
    IMAGE(COMMON_IMAGE, TAB_VIEWER_OVER, u"tab_viewer_over.png") \
    IMAGE(COMMON_IMAGE, TAB_VIEWER_PRESS, u"tab_viewer_press.png") \
    IMAGE(FRAME_IMAGE, CORNER_LEFT, u"Frame\\corner_left.png") \
    IMAGE(FRAME_IMAGE, CORNER_LEFT_TOP, u"Frame\\corner_left_top.png") \
    IMAGE(FRAME_IMAGE, CORNER_LEFT_UNDER, u"Frame\\corner_left_under.png") \
    IMAGE(FRAME_IMAGE, CORNER_RIGHT, u"Frame\\corner_right.png") \
    IMAGE(FRAME_IMAGE, CORNER_RIGHT_TOP, u"Frame\\corner_right_top.png") \
    IMAGE(FRAME_IMAGE, CORNER_RIGHT_UNDER, u"Frame\\corner_right_under.png") \
    IMAGE(FRAME_IMAGE, CORNER_TOP, u"Frame\\corner_top.png") \
    IMAGE(FRAME_IMAGE, CORNER_UNDER, u"Frame\\corner_under.png") \
    IMAGE(TIMELINE_IMAGE, BTN_DISPLAY_OFF, u"TimeLine\\btn_display_off.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_DISPLAY_ON, u"TimeLine\\btn_display_on.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LOCK_LOCK, u"TimeLine\\btn_lock_lock.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LOCK_UNLOCK, u"TimeLine\\btn_lock_unlock.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LONG_NORMAL, u"TimeLine\\btn_long_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LONG_NOT, u"TimeLine\\btn_long_not.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LONG_OVER, u"TimeLine\\btn_long_over.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_LONG_PRESS, u"TimeLine\\btn_long_press.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_SHORT_NORMAL, u"TimeLine\\btn_short_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_SHORT_NOT, u"TimeLine\\btn_short_not.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_SHORT_OVER, u"TimeLine\\btn_short_over.bmp") \
    IMAGE(TIMELINE_IMAGE, BTN_SHORT_PRESS, u"TimeLine\\btn_short_press.bmp") \
    IMAGE(TIMELINE_IMAGE, ICON_CAM, u"TimeLine\\icon_cam.bmp") \
    IMAGE(TIMELINE_IMAGE, ICON_FILTER, u"TimeLine\\icon_filter.bmp") \
    IMAGE(TIMELINE_IMAGE, ICON_LINK_NORMAL, u"TimeLine\\icon_link_b.png") \
    IMAGE(TIMELINE_IMAGE, ICON_LINK_FOCUS, u"TimeLine\\icon_link_w.png") \
    IMAGE(TIMELINE_IMAGE, ICON_MUSIC, u"TimeLine\\icon_music.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_EFE_NORMAL, u"TimeLine\\media_efe_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_EFE_NOT, u"TimeLine\\media_efe_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_EFE_PRESS, u"TimeLine\\media_efe_press.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MOV_NORMAL, u"TimeLine\\media_mov_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MOV_NOT, u"TimeLine\\media_mov_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MOV_PRESS, u"TimeLine\\media_mov_press.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MUSIC_NORMAL, u"TimeLine\\media_music_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MUSIC_NOT, u"TimeLine\\media_music_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_MUSIC_PRESS, u"TimeLine\\media_music_press.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_CAMERA_NORMAL, u"TimeLine\\media_other2_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_CAMERA_NOT, u"TimeLine\\media_other2_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_CAMERA_PRESS, u"TimeLine\\media_other2_press.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_NONE_NORMAL, u"TimeLine\\media_other_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_NONE_NOT, u"TimeLine\\media_other_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_NONE_PRESS, u"TimeLine\\media_other_press.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_PIC_NORMAL, u"TimeLine\\media_pic_normal.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_PIC_NOT, u"TimeLine\\media_pic_not.bmp") \
    IMAGE(TIMELINE_IMAGE, MEDIA_PIC_PRESS, u"TimeLine\\media_pic_press.bmp")

#define KALEIDRA_SKIN_FONTS(FONT) \
    FONT(COMMON_FONT, FONT_TITLE, FONT_SIZE_TITLE, 110, GetCommonTitleFont) \
    FONT(COMMON_FONT, FONT_CAPTION, FONT_SIZE_CAPTION, 100, GetCommonCaptionFont) \
    FONT(COMMON_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetCommonControlFont) \
    FONT(COMMON_FONT, FONT_BUTTON_TITLE, FONT_SIZE_BUTTON_TITLE, 90, GetCommonButtonTitleFont) \
    FONT(TIMELINE_FONT, FONT_HEADER, FONT_SIZE_HEADER, 110, GetTimeLineHeaderFont) \
    FONT(TIMELINE_FONT, FONT_FACENO, FONT_SIZE_FACENO, 140, GetTimeLineFacenoFont) \
    FONT(TIMELINE_FONT, FONT_ITEM, FONT_SIZE_ITEM, 100, GetTimeLineItemFont) \
    FONT(SETTING_FONT, FONT_CAPTION, FONT_SIZE_CAPTION, 100, GetSettingCaptionFont) \
    FONT(SETTING_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetSettingControlFont) \
    FONT(SETTING_FONT, FONT_XY, FONT_SIZE_XY, 70, GetSettingXyFont) \
    FONT(SETTING_FONT, FONT_INOUT, FONT_SIZE_INOUT, 80, GetSettingInoutFont) \
    FONT(ADDNEWDLG_FONT, FONT_BUTTON, FONT_SIZE_BUTTON, 110, GetAddNewDlgButtonFont) \
    FONT(ADDNEWDLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetAddNewDlgControlFont) \
    FONT(CAMERADLG_FONT, FONT_CAPTION, FONT_SIZE_CAPTION, 100, GetCameraDlgCaptionFont) \
    FONT(CAMERADLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetCameraDlgControlFont) \
    FONT(EXPORTDLG_FONT, FONT_COMMENT, FONT_SIZE_COMMENT, 110, GetExportDlgCommentFont) \
    FONT(EXPORTDLG_FONT, FONT_BUTTON, FONT_SIZE_BUTTON, 110, GetExportDlgButtonFont) \
    FONT(EXPORTDLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetExportDlgControlFont) \
    FONT(IMPORTDLG_FONT, FONT_COMMENT, FONT_SIZE_COMMENT, 120, GetImportDlgCommentFont) \
    FONT(IMPORTDLG_FONT, FONT_BUTTON, FONT_SIZE_BUTTON, 110, GetImportDlgButtonFont) \
    FONT(IMPORTDLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetImportDlgControlFont) \
    FONT(INISETTINGDLG_FONT, FONT_CAPTION, FONT_SIZE_CAPTION, 100, GetIniSettingDlgCaptionFont) \
    FONT(INISETTINGDLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetIniSettingDlgControlFont) \
    FONT(INISETTINGDLG_FONT, FONT_COMMENT, FONT_SIZE_COMMENT, 100, GetIniSettingDlgCommentFont) \
    FONT(STARTUPDLG_FONT, FONT_TITLET, FONT_SIZE_TITLE, 110, GetStartupDlgTitleFont) \
    FONT(STARTUPDLG_FONT, FONT_BUTTON, FONT_SIZE_BUTTON, 140, GetStartupDlgButtonFont) \
    FONT(STARTUPDLG_FONT, FONT_LIST, FONT_SIZE_LIST, 90, GetStartupDlgListFont) \
    FONT(VERSIONDLG_FONT, FONT_CONTROL, FONT_SIZE_CONTROL, 100, GetVersionDlgControlFont)

// clang-format on
