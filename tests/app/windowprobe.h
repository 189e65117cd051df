// WindowProbe: how widget tests and benchmarks reach frmMain's controls and steps.
#pragma once

#include "app/frmmain.h"
#include "app/frmmain_ui.h"

#include <functional>

namespace bitvane {

// frmMain keeps its controls and steps private; tests and benchmarks that
// must run one step alone (a loading without the page change, a compile
// without "Finish") or read a control come through here.
struct WindowProbe {
    static frmMainUi &ui(frmMain &w) { return *w.ui; }
    static void showPage(frmMain &w, int page) { w.showPage(frmMain::Page(page)); }

    static void cmdNext_Click(frmMain &w) { w.cmdNext_Click(); }
    static void cmdBack_Click(frmMain &w) { w.cmdBack_Click(); }
    static void cmdAddFile_Click(frmMain &w) { w.cmdAddFile_Click(); }
    static void Picture1_Click(frmMain &w) { w.Picture1_Click(); }
    static void LoadPictures(frmMain &w) { w.LoadPictures(); }
    static void cboZoom_Change(frmMain &w) { w.cboZoom_Change(); }
    static bool CompileProject(frmMain &w) { return w.CompileProject().has_value(); }
    // The player's timer, and its tick run at once, so that no test waits
    // for the frames' real delays.
    static QTimer *player(frmMain &w) { return w.m_player; }
    static void playerStep(frmMain &w) { w.playerStep(); }
    static void runGuarded(frmMain &w, const std::function<void()> &f) { w.runGuarded(f); }

    static void setBusyCompiling(frmMain &w, bool busy) { w.m_busyCompiling = busy; }
    static void setLoading(frmMain &w, bool loading) { w.m_loading = loading; }
    static bool loading(const frmMain &w) { return w.m_loading; }
    static bool loadCancelled(const frmMain &w) { return w.m_loadCancelled; }
};

} // namespace bitvane
