#pragma once
// Scripting the pickers' dialogs offscreen: the next dialog of a type that
// the code under test shows modally, and the network tree opened down to
// the picker machine's public share (PickerHome.h).
#include "platform/ui/TreeView.h"

#include "FakeUiServices.h"

#include <QWidget>

#include <functional>

namespace qm::test {

// The next dialog shown through `ui`, of type D: `fn` acts on it as the
// user would, once it is shown.
template <class D>
void nextDialog(qm::ui::FakeUiServices& ui, std::function<void(D&)> fn)
{
    ui.onShowModal([fn](QWidget& w) {
        auto& d = dynamic_cast<D&>(w);
        d.show();
        fn(d);
    });
}

inline void openToShare(qm::ui::TreeView& tree)
{
    for (const char* key : {"Microsoft Windows Network", "OFFICE", "\\\\FILESRV", "\\\\FILESRV\\public"})
        tree.expand(key);
}

} // namespace qm::test
