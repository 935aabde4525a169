#include "app/ui/MainCommandTable.h"

#include "app/ui/Form1.h"

QList<MainCommandTable::Entry> MainCommandTable::entries()
{
    using C = MainCommand;
    using M = Menu;
    using K = QKeySequence;
    using F = Facts;
    const K none;
    return {
        { C::OpenSelected, M::File, false, "mnufileopen", "&Open selected link", none, nullptr,
            &Form1::mnufileopen_Click, [](const F& f) { return f.states.mnufileopen; } },
        { C::SaveTargets, M::File, false, "mnufsav", "Save selected link &target(s) to disk", none,
            "document-save-as", &Form1::mnufsav_Click,
            [](const F& f) { return f.states.mnufsav; } },
        { C::SaveList, M::File, true, "mnufsavlst", "Save &list to text file", K::Save,
            "document-save", &Form1::mnufsavlst_Click,
            [](const F& f) { return f.states.savelist; } },
        { C::AppendList, M::File, false, "mnufapplist", "&Append list to text file", none, nullptr,
            &Form1::mnufapplist_Click, [](const F& f) { return f.states.savelist; } },
        { C::ExportList, M::File, false, "mnufexport", "Export list...", none, nullptr,
            &Form1::mnufexport_Click, [](const F& f) { return f.states.savelist; } },
        { C::Exit, M::File, true, "mnufEx", "&Exit", K::Quit, "application-exit",
            &Form1::mnufEx_Click, nullptr },
        { C::BuildFromUrl, M::List, false, "mnufURL", "Build list from &URL",
            K(Qt::CTRL | Qt::Key_L), nullptr, &Form1::mnufURL_Click, nullptr },
        { C::BuildFromClipboard, M::List, false, "mnufClip", "Build list from &Clipboard", K::Paste,
            "edit-paste", &Form1::mnufClip_Click, nullptr },
        { C::BuildFromFile, M::List, false, "mnufFile", "Build list from &file", K::Open,
            "document-open", &Form1::mnufFile_Click, nullptr },
        { C::BuildSequence, M::List, false, "mnufSeq", "Build &sequential list", none, nullptr,
            &Form1::mnufSeq_Click, nullptr },
        { C::AddSingleLink, M::List, false, "mnulstSingle", "&Add single link",
            K(Qt::CTRL | Qt::Key_N), "list-add", &Form1::mnulstSingle_Click, nullptr },
        { C::SearchList, M::List, true, "mnulstsrch", "Search &list", K::Find, "edit-find",
            &Form1::mnulstsrch_Click, nullptr },
        { C::SelectAll, M::List, false, "mnulstselall", "Select &all", K::SelectAll,
            "edit-select-all", &Form1::mnulstselall_Click,
            [](const F& f) { return f.count != 0; } },
        { C::ClearList, M::List, false, "mnulstclr", "&Clear list", none, "edit-clear",
            &Form1::mnulstclr_Click, [](const F&) { return true; } },
        { C::Preferences, M::Options, false, "mnuopoptions", "&Preferences...", none,
            "preferences-system", &Form1::mnuopoptions_Click, nullptr },
        // Checked and enabled from the filter state, not by the state pass.
        { C::ApplyFilters, M::Options, true, "mnuopappfilt", "Apply &filters", none, nullptr,
            &Form1::mnuopappfilt_Click, nullptr },
        { C::ManageFilters, M::Options, false, "mnuopfilt", "&Manage filters...", none, nullptr,
            &Form1::mnuopfilt_Click, nullptr },
        { C::HelpContents, M::Help, false, "mnuHelpCont", "&Contents", K::HelpContents,
            "help-contents", &Form1::mnuHelpCont_Click, nullptr },
        { C::Tour, M::Help, false, "mnuhelptour", "&Interactive Tour", none, nullptr,
            &Form1::mnuhelptour_Click, nullptr },
        { C::About, M::Help, false, "mnuHelpAbt", "&About...", none, "help-about",
            &Form1::mnuHelpAbt_Click, nullptr },
        { C::PopupOpen, M::Context, false, "mnusavpopopen", "&Open selected link", none, nullptr,
            &Form1::mnusavpopopen_Click, [](const F& f) { return f.states.mnusavpopopen; } },
        { C::PopupSaveTargets, M::Context, false, "mnusavepoptrgt",
            "Save selected link target(s) to disk", none, nullptr, &Form1::mnusavepoptrgt_Click,
            [](const F& f) { return f.states.mnusavepoptrgt; } },
        { C::PopupBuild, M::Context, false, "mnusavpopbuild",
            "&Build list from selected link target", none, nullptr, &Form1::mnusavpopbuild_Click,
            [](const F& f) { return f.states.mnusavpopbuild; } },
        { C::PopupRemove, M::Context, true, "mnusavpopremove", "&Remove selected link", K::Delete,
            nullptr, &Form1::mnusavpopremove_Click,
            [](const F& f) { return f.states.mnusavpopremove; } },
    };
}
