// Ground school: the list of instructional videos ("train\fNN.avi") and the dialog that plays the
// chosen one in a video window over the list.
#pragma once

#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace planning {

struct GroundLesson {
    const char* title;
    int video;  // the file train\f<video>.avi
    const char* description;
};
inline constexpr int kGroundLessonCount = 31;
extern const GroundLesson theGroundLessons[kGroundLessonCount];

// `name` under the full path of `base` (its last component cut at a dot), joined by "\"; a name
// with a drive letter or a leading "\" or "/" stands alone.
std::string MakeFullPath(std::string_view base, std::string_view name);

class GroundLessonDialog : public ui::Dialog {
public:
    GroundLessonDialog() : ui::Dialog("GroundInstruction", 0) { SetHelpId(20010); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnMciNotify(win::WParam wParam, win::LParam lParam) override;

    std::string videoFolder;  // where the fNN.avi files are
    int chosen = 0;           // the list row
    int sequence = -1;        // -1: the list; else one of the fixed sequences
    int sequencePosition = 0;

private:
    void ShowDescription();
    void PlayChosen();
    void StopVideo();
    void PlaySequenceStep();
};

}  // namespace planning
