#include "app/messages_host.h"

#include "gs/gsapi_binding.h"

namespace quillorn {

MessagesHost::MessagesHost(WindowServices& services) : services_(services) {
    SetMessageHandler([this](const QString& text) { Get().AddMessage(text); });
}

MessagesHost::~MessagesHost() {
    SetMessageHandler({});
}

frmMessages& MessagesHost::Get() {
    if (closed_)
        Unload();
    if (!window_) {
        window_ = std::make_unique<frmMessages>(services_);
        QObject::connect(window_.get(), &frmMessages::closedByUser, [this] { closed_ = true; });
        qint32 revision = 0, date = 0;
        QString product, notice;
        if (gs::GetGhostscriptRevision(revision, date, product, notice))
            window_->SetProductName(product);
    }
    return *window_;
}

void MessagesHost::ShowModeless() {
    frmMessages& window = Get();
    window.show();
    window.raise();
    window.activateWindow();
}

void MessagesHost::ShowModal() {
    Get().exec();
}

void MessagesHost::Unload() {
    window_.reset();
    closed_ = false;
}

} // namespace quillorn
