// USER32 half of the stand-in, message boxes: each is logged with the answer it gave (the log and
// the answer to give are the control API's MessageBoxLog, ClearMessageBoxLog and
// SetMessageBoxAnswer) and, when echo is on, written to stderr. Debug output, OutputDebugStringA,
// is KERNEL32's and lives in kernel32.cpp.
#include "platform/user32_internal.h"

#include <cstdio>

namespace {

// The answer of the box's default button.
int defaultAnswer(UINT type) {
    UINT buttons = type & MB_TYPEMASK;
    UINT which = (type & MB_DEFMASK) >> 8; // 0, 1 or 2
    static const int answers[6][3] = {{IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDOK},
                                      {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
                                      {IDYES, IDNO, IDYES},         {IDRETRY, IDCANCEL, IDRETRY}};
    if (buttons > 5)
        return IDOK;
    return answers[buttons][which > 2 ? 0 : which];
}

} // namespace

namespace standin {

using namespace user32;

std::vector<MessageBoxEntry> MessageBoxLog() {
    Lock g(StateLock());
    return userState().messageBoxes;
}

void ClearMessageBoxLog() {
    Lock g(StateLock());
    userState().messageBoxes.clear();
}

void SetMessageBoxAnswer(int answer) {
    Lock g(StateLock());
    userState().messageBoxAnswer = answer;
}

} // namespace standin

using namespace standin;
using namespace standin::user32;

extern "C" {

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    MessageBoxEntry e;
    e.owner = hWnd;
    e.caption = lpCaption ? lpCaption : "Error"; // Windows' caption when none is given
    e.text = lpText ? lpText : "";
    e.style = uType;
    {
        Lock g(StateLock());
        UserState& u = userState();
        e.answer = u.messageBoxAnswer ? u.messageBoxAnswer : defaultAnswer(uType);
        u.messageBoxes.push_back(e);
    }
    if (EchoOn()) {
        std::fprintf(stderr, "[%s] %s\n", e.caption.c_str(), e.text.c_str());
        std::fflush(stderr);
    }
    return e.answer;
}

} // extern "C"
