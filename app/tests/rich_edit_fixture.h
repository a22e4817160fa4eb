// A real Rich Edit 1.0 control in a hidden window, and a reader of the
// character format over a range of it.
#pragma once

#include "window_text.h"

#include <gtest/gtest.h>

#include <string>

class RichEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AfxInitRichEdit());
        parent_ = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        pane_.m_hWnd = ::CreateWindowExA(
            WS_EX_TRANSPARENT, "RICHEDIT", "",
            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL, 0, 0,
            580, 380, parent_, nullptr, nullptr, nullptr);
        ASSERT_NE(pane_.m_hWnd, nullptr);
    }
    void TearDown() override {
        if (parent_) ::DestroyWindow(parent_);
    }

    // The format of [start, end); dwMask keeps only attributes uniform there.
    CHARFORMATA FormatOf(LONG start, LONG end) const {
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        pane_.SetSel(start, end);
        // Over a mixed range dwMask lacks the attributes that differ.
        pane_.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    CHARRANGE Selection() const {
        CHARRANGE range{-2, -2};
        pane_.SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    std::string Text() const { return WindowText(pane_); }
    LONG Find(const char* what) const {
        const size_t at = Text().find(what);
        return at == std::string::npos ? -1 : static_cast<LONG>(at);
    }

    HWND parent_ = nullptr;
    CRichEditCtrl pane_;
};

constexpr DWORD kSizeColorBold = CFM_SIZE | CFM_COLOR | CFM_BOLD;

// Uniform size, colour and weight over the range, with these values.
inline ::testing::AssertionResult HasFormat(const CHARFORMATA& f, LONG twips, COLORREF color,
                                            bool bold) {
    if ((f.dwMask & kSizeColorBold) != kSizeColorBold)
        return ::testing::AssertionFailure() << "mixed format, dwMask 0x" << std::hex << f.dwMask;
    const bool isBold = (f.dwEffects & CFE_BOLD) != 0;
    if (f.yHeight != twips || f.crTextColor != color || isBold != bold)
        return ::testing::AssertionFailure() << "height " << f.yHeight << " colour 0x" << std::hex
                                             << f.crTextColor << " bold " << isBold;
    return ::testing::AssertionSuccess();
}
