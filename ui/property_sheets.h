// Multi-page dialogs made of ordinary templates: a wizard that shows one page at a time with
// Back, Next/Finish and Cancel, and a tabbed sheet whose tab row is a set of check-style
// buttons 1900 + page index. Pages are modeless dialogs inside the sheet's window; the sheet
// runs modally and always answers 0, so the caller learns the outcome from the pages, which are
// closed with IDOK or IDCANCEL when the sheet ends.
#pragma once

#include <string>

#include "ui/dialog.h"
#include "ui/grow_array.h"

namespace ui {

class FakePropertyPage : public Dialog {
public:
    FakePropertyPage(const char* templateName, const char* title);
    int OnInitDialog(win::HWND dialog) override;
    // Sends the page its own WM_COMMAND `code` (so it keeps or drops its values), then goes.
    virtual void Close(int code);

    std::string title;
};

class FakePropertySheet : public Dialog {
public:
    FakePropertySheet(const char* templateName, std::uint32_t paletteResourceId);
    void AddPage(FakePropertyPage* page);

    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnPageChanged(win::HWND sheet) override;
    void OnCreatePage(int index) override;
    virtual int NextPage();
    virtual int PrevPage();
    int TurnPage(int to);
    virtual int Finish();
    virtual int Cancel();
    virtual void OnPageChanging();

    GrowArray pages{5};
    int currentPage = 0;
    int previousPage = 0;
    int createAllPages = 0;

protected:
    FakePropertyPage* Page(int index) const {
        return reinterpret_cast<FakePropertyPage*>(pages.At(index));
    }
    int ShowCurrentPage();
};

class FakeTabPropertyPage : public Dialog {
public:
    FakeTabPropertyPage(const char* templateName, const char* title);
    int OnInitDialog(win::HWND dialog) override;
    virtual void Close(int code);

    std::string title;
    int placeUnderTabs = 1;
};

class FakeTabPropertySheet : public Dialog {
public:
    FakeTabPropertySheet(const char* templateName, std::uint32_t paletteResourceId);
    void AddPage(FakeTabPropertyPage* page);

    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    virtual int OnOK();
    virtual int Cancel();
    virtual void OnPageChanging();

    GrowArray pages{5};
    int currentPage = 0;
    int previousPage = 0;

protected:
    FakeTabPropertyPage* Page(int index) const {
        return reinterpret_cast<FakeTabPropertyPage*>(pages.At(index));
    }
    void ShowCurrentPage();
    int CloseAll(int code);
};

}  // namespace ui
