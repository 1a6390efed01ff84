// The program's message box (template "GENERIC"), sized to its text, and the two fixed
// insert-disc prompts ("INSERT_CD1", "INSERT_CD2"). ShowMessageBox and PromptForDisc
// (dialog_services.h) run them.
#pragma once

#include <string>

#include "ui/dialog.h"

namespace ui {

class GenericDialog : public Dialog {
public:
    static constexpr int kTextId = 2023;
    GenericDialog();
    ~GenericDialog() override;
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnDeviceChange(unsigned event, win::DEV_BROADCAST_HDR* header) override;

    // The buttons are the template's controls 6, 7 and 2 in that order; an empty text hides one.
    std::string button1 = "&OK";
    std::string button2;
    std::string button3;
    std::string text;
    std::string awaitedFile;
    int discNumber = -1;
    win::HFONT textFont;
    bool shown = false;
};

class InsertCDDialog : public Dialog {
public:
    explicit InsertCDDialog(int disc);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnDeviceChange(unsigned event, win::DEV_BROADCAST_HDR* header) override;

    std::string awaitedFile;
    int buttonType = 0;
};

}  // namespace ui
