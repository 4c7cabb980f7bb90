#include "afx_fixture.h"

namespace afx_test {

BEGIN_MESSAGE_MAP(CScriptDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

} // namespace afx_test
