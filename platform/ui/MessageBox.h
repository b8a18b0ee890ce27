// The modal message box: a text with Yes/No or OK, drawn by the layer over the
// owner's window, or answered by the dialog script in tests. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>

class CWnd;

// IDYES, IDNO or IDOK. Without a person or a scripted answer the box answers
// IDNO for Yes/No (the answer that changes nothing) and IDOK otherwise.
int MessageBox(CWnd* pOwner, const std::wstring& text, const std::wstring& caption, UINT nType);
