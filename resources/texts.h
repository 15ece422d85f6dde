#pragma once
// Ids of the add-in's texts in the string tables of resources/texts.rc (one
// table per language), shared by the resource script and the code that loads
// them. Plain macros: the resource compiler reads this file too.

// The tab context menu, in menu order, and the question before every window is closed.
#define BRISKO_IDS_CLOSE 101
#define BRISKO_IDS_CLOSE_ALL 102
#define BRISKO_IDS_CLOSE_LEFT 103
#define BRISKO_IDS_CLOSE_RIGHT 104
#define BRISKO_IDS_SETTINGS 105
#define BRISKO_IDS_CLOSE_ALL_QUESTION 106
#define BRISKO_IDS_WINDOW_LIST 107

// The tips of the bar's buttons: scroll left, scroll right, close.
#define BRISKO_IDS_TIP_SCROLL_LEFT 108
#define BRISKO_IDS_TIP_SCROLL_RIGHT 109
#define BRISKO_IDS_TIP_CLOSE 110

// The add-in's two lines in the IDE's add-in list.
#define BRISKO_IDS_ADDIN_DESCRIPTION 111

// The settings dialog: its window's design-time caption, then the caption of
// each control at BRISKO_IDS_CONFIG plus the control's id.
#define BRISKO_IDS_CONFIG 1000

// The width field's messages: the title, then one text per check result at
// BRISKO_IDS_WIDTH_MESSAGE plus one plus the number of the result's bit. %1
// and %2 stand for the smallest and the largest width.
#define BRISKO_IDS_WIDTH_MESSAGE 1200
