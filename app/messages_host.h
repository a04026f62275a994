#pragma once

#include "app/frmMessages.h"

#include <memory>

namespace quillorn {

// Owns the one messages window: created (hidden) on first reference, finished with its log when
// the user closes it, created afresh by the next reference. Installs itself as the target of
// AddMessage for as long as it lives.
class MessagesHost final : public MessagesWindow {
public:
    explicit MessagesHost(WindowServices& services);
    ~MessagesHost();
    MessagesHost(const MessagesHost&) = delete;
    MessagesHost& operator=(const MessagesHost&) = delete;

    frmMessages& Get();
    // The live window, or null when none has been created or the user closed it.
    frmMessages* Existing() const { return closed_ ? nullptr : window_.get(); }
    void Unload();

    void ShowModeless() override;
    void ShowModal() override;

private:
    WindowServices& services_;
    std::unique_ptr<frmMessages> window_;
    // A closed window is destroyed at the next reference, not inside its own close event.
    bool closed_ = false;
};

} // namespace quillorn
