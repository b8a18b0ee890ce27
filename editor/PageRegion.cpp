#include "editor/PageRegion.h"
#include "editor/EditorState.h"

void CPageRegion::Redraw() const { m_state.Redraw(m_rc); }
