#pragma once

// The location label of every trapped procedure. They are fixed texts, not derived
// names (note "picture1" against "Picture1"); each ends with one space, which is the
// only space before "at line " in the error box.
namespace app::labels {

inline constexpr const char* kForm1QueryUnload = "in Chronoweave2021/08/31.Form1.Form_QueryUnload ";
inline constexpr const char* kForm1AddTimeline =
    "in Chronoweave2021/08/31.Form1.PushButton1_Click ";
inline constexpr const char* kForm1DeleteTimeline =
    "in Chronoweave2021/08/31.Form1.PushButton2_Click ";
inline constexpr const char* kForm1Clear = "in Chronoweave2021/08/31.Form1.PushButton3_Click ";
inline constexpr const char* kForm1LoadSample = "in Chronoweave2021/08/31.Form1.PushButton4_Click ";
inline constexpr const char* kForm1CreateTemplate =
    "in Chronoweave2021/08/31.Form1.PushButton6_Click ";
inline constexpr const char* kForm1SaveDocAsJpg = "in Chronoweave2021/08/31.Form1.SaveDocAsJPG ";
inline constexpr const char* kForm1Load = "in Chronoweave2021/08/31.Form1.Form_Load ";
// Commands of the entry list beside the five buttons.
inline constexpr const char* kForm1EditTimeline =
    "in Chronoweave2021/08/31.Form1.EditSelectedTimeline ";
inline constexpr const char* kForm1EditCell = "in Chronoweave2021/08/31.Form1.EditTimelineCell ";
inline constexpr const char* kForm1InsertTimeline =
    "in Chronoweave2021/08/31.Form1.InsertTimelineAbove ";
inline constexpr const char* kForm1MoveTimeline =
    "in Chronoweave2021/08/31.Form1.MoveSelectedTimeline ";
inline constexpr const char* kForm1Undo = "in Chronoweave2021/08/31.Form1.UndoLastChange ";
inline constexpr const char* kForm1Redo = "in Chronoweave2021/08/31.Form1.RedoLastChange ";
inline constexpr const char* kForm1CopyTimelines = "in Chronoweave2021/08/31.Form1.CopyTimelines ";
inline constexpr const char* kForm1PasteTimelines =
    "in Chronoweave2021/08/31.Form1.PasteTimelines ";
inline constexpr const char* kForm1ImportCsv = "in Chronoweave2021/08/31.Form1.ImportCSV ";
inline constexpr const char* kForm1ExportCsv = "in Chronoweave2021/08/31.Form1.ExportCSV ";
inline constexpr const char* kForm1SortByDate =
    "in Chronoweave2021/08/31.Form1.SortTimelinesByDate ";
inline constexpr const char* kForm1MarkMilestone =
    "in Chronoweave2021/08/31.Form1.MarkAsMilestone ";
// The File menu's document commands.
inline constexpr const char* kForm1NewDocument = "in Chronoweave2021/08/31.Form1.mnuFileNew_Click ";
inline constexpr const char* kForm1OpenDocument =
    "in Chronoweave2021/08/31.Form1.mnuFileOpen_Click ";
inline constexpr const char* kForm1SaveDocument =
    "in Chronoweave2021/08/31.Form1.mnuFileSave_Click ";
inline constexpr const char* kForm1SaveDocumentAs =
    "in Chronoweave2021/08/31.Form1.mnuFileSaveAs_Click ";
inline constexpr const char* kForm2Activate = "in Chronoweave2021/08/31.Form2.Form_Activate ";
inline constexpr const char* kForm2Load = "in Chronoweave2021/08/31.Form2.Form_Load ";
inline constexpr const char* kForm2QueryUnload = "in Chronoweave2021/08/31.Form2.Form_QueryUnload ";
inline constexpr const char* kForm2ZoomIn = "in Chronoweave2021/08/31.Form2.PushButton1_Click ";
inline constexpr const char* kForm2ZoomOut = "in Chronoweave2021/08/31.Form2.PushButton2_Click ";
inline constexpr const char* kForm2SaveResults =
    "in Chronoweave2021/08/31.Form2.PushButton6_Click ";
inline constexpr const char* kForm2Back = "in Chronoweave2021/08/31.Form2.PushButton8_Click ";
inline constexpr const char* kForm2MouseDown = "in Chronoweave2021/08/31.Form2.picture1_MouseDown ";
inline constexpr const char* kForm2MouseMove = "in Chronoweave2021/08/31.Form2.picture1_MouseMove ";
inline constexpr const char* kForm2MouseUp = "in Chronoweave2021/08/31.Form2.Picture1_MouseUp ";
inline constexpr const char* kForm2RedrawImage = "in Chronoweave2021/08/31.Form2.RedrawImage ";
// Ctrl+0 in the preview window: the whole page in the viewport.
inline constexpr const char* kForm2ZoomToFit = "in Chronoweave2021/08/31.Form2.ZoomToFit ";
// The page menu of the preview window.
inline constexpr const char* kForm2CopyPage = "in Chronoweave2021/08/31.Form2.mnuCopyPage_Click ";
inline constexpr const char* kForm2SavePagePdf =
    "in Chronoweave2021/08/31.Form2.mnuSavePagePdf_Click ";
inline constexpr const char* kForm2SavePagePng =
    "in Chronoweave2021/08/31.Form2.mnuSavePagePng_Click ";
inline constexpr const char* kForm2SavePageSvg =
    "in Chronoweave2021/08/31.Form2.mnuSavePageSvg_Click ";
inline constexpr const char* kForm2SavePageSlide =
    "in Chronoweave2021/08/31.Form2.mnuSavePageSlide_Click ";
inline constexpr const char* kForm2PrintPage = "in Chronoweave2021/08/31.Form2.mnuPrintPage_Click ";

} // namespace app::labels
