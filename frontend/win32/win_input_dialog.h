#pragma once

#include <windows.h>

#include <string>

// Control identifiers of the input dialog besides IDOK and IDCANCEL.
inline constexpr int kInputPromptId = 100;
inline constexpr int kInputEditId = 101;

// A modal dialog with a prompt, an edit box holding `initial`, and OK and Cancel, built from a
// template made in memory. Gives the typed text on OK, `initial` otherwise. GUI thread only.
std::wstring RunInputDialog(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                            const std::wstring& initial);
