#pragma once

// The resource ids of the editor's skin: the four font strips, the
// backgrounds, panels, film strips, buttons and meters that tools/skin draws
// and the library embeds. Images with several frames stack them top to
// bottom; sizes below are of one frame.
namespace quillstrip::skin {

enum EResourceId : int {
    kFontSmall = 1000,  // DejaVu Sans Condensed 10 px: read-outs, lists
    kFontLabel = 1001,  // DejaVu Sans Condensed Bold 10 px: labels
    kFontMenu = 1002,   // DejaVu Sans 12 px: the master menu, drop-down lists
    kFontTitle = 1003,  // DejaVu Sans Bold 13 px: titles

    kBackgroundLarge = 1004,  // 780 x 700
    kBackground = 1005,       // 780 x 500, the editor's

    kSelectLimiter = 1006,  // section selector buttons, 116 x 26, 2 frames
    kSelectGate = 1007,
    kSelectStereo = 1008,
    kSelectSaturation = 1009,
    kSelectCompressor = 1010,

    kPanelGate = 1011,  // section pane panels, 384 x 210, for the well at (310, 284)
    kPanelCompressor = 1012,
    kPanelStereo = 1013,
    kPanelSaturation = 1014,
    kPanelLimiter = 1015,
    kPanelEqBand = 1016,  // one EQ band's column, 80 x 92
    kAboutBox = 1017,     // 360 x 220

    kKnobDelay = 1018,         // film strips of 127 frames: 36 x 36
    kKnobLarge = 1019,         // 44 x 44
    kKnobSmall = 1020,         // 30 x 30
    kKnobLargeBipolar = 1021,  // 44 x 44, the arc grows from the top
    kKnobSmallBipolar = 1022,  // 30 x 30

    kKnobTiny = 1037,          // 24 x 24, 127 frames: the EQ bands' knobs
    kKnobTinyBipolar = 1038,   // 24 x 24, 127 frames
    kToggleSoloSmall = 1039,   // 18 x 18, 2 frames: an EQ band's solo
    kToggleSolo = 1023,       // 40 x 18, 2 frames
    kToggleListen = 1024,     // 48 x 18, 2 frames
    kToggleKey = 1025,        // 40 x 18, 2 frames (side-chain on)
    kToggleBand = 1026,       // 18 x 18, 2 frames (an EQ band on)
    kButtonLoad = 1027,       // 44 x 18, 2 frames
    kButtonReset = 1028,      // 44 x 18, 2 frames
    kListBox = 1029,          // 116 x 20, closed drop-down list
    kListBoxSmall = 1030,     // 80 x 16
    kSectionOnOff = 1031,     // 48 x 26, 2 frames
    kStateDetection = 1032,   // 64 x 18, 3 states: PEAK, POWER, C-165
    kStateStereoMode = 1033,  // 64 x 18, 3 states: MONO, STEREO, M/S
    kStateCompType = 1034,    // 64 x 18, 2 states: TYPE 1, TYPE 2
    kStateSatMode = 1035,     // 64 x 18, 3 states: MODE 1..3
    kStateKeyInput = 1036,    // 40 x 18, 2 states: INT, EXT

    kSettingsBackdrop = 1043,  // 780 x 500, translucent around the settings panel
    kButtonClose = 1044,       // 18 x 18, 2 frames
    kScrollTrack = 1045,       // 12 x 64
    kScrollThumb = 1046,       // 12 x 24
    kLogo = 1047,              // 120 x 24
    kToggleAuto = 1048,        // 44 x 18, 2 frames (auto gain)

    kEqHandle1 = 1051,  // EQ band handles 1..6, 14 x 14, 2 frames
    kEqHandle6 = 1056,

    kFaderCap = 1068,          // 26 x 14
    kStateFftSize = 1069,      // 56 x 18, 3 states: SLOW, MID, FAST
    kButtonPhase = 1070,       // 36 x 20, 2 frames
    kButtonOversample = 1071,  // 48 x 20, 2 frames
    kButtonRouting = 1072,     // 22 x 22, 2 frames
    kStateRouting = 1073,      // 68 x 20, 2 states: EQ > DYN, DYN > EQ
    kSourceIn = 1074,          // 28 x 20, 2 frames each: the analyser source choices
    kSourceOut = 1075,
    kSourceOff = 1076,
    kButtonFreeze = 1077,  // 56 x 18, 2 frames: the analyser display toggle
    kDisplayPanel = 1078,  // 780 x 276, the top of the editor
    kMenuButton = 1079,    // 88 x 22, 2 frames

    kBackgroundGraphite = 1081,  // 780 x 700

    kMeterLevel = 1087,          // 8 x 200, vertical, lit from the bottom
    kMeterLevelSmall = 1088,     // 140 x 8, horizontal, lit from the left
    kClipLight = 1089,           // 32 x 11, 2 frames
    kMeterReduction = 1090,      // 140 x 8, horizontal, lit from the left
    kMeterReductionTall = 1091,  // 8 x 120, vertical, lit from the top
    kLimitLight = 1092,          // 32 x 11, 2 frames

    kBackgroundSlate = 1098,  // 780 x 700

    kSliderHandle = 1109,  // 23 x 18
    kEqDisplay = 1114,     // 492 x 141, the EQ display's grid

    kFirstId = 1000,
    kLastId = 1114,
};

}  // namespace quillstrip::skin
