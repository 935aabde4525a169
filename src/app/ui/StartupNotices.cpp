#include "app/ui/StartupNotices.h"

#include <QMetaObject>
#include <QPointer>

#include "core/IUserPrompt.h"
#include "settings/IRegistryStore.h"

void StartupNotices::show(
    const std::shared_ptr<IRegistryStore>& store, IUserPrompt& prompt, QObject* context)
{
    if (const QString notice = store->pendingNotice(); !notice.isEmpty()) {
        prompt.message(PromptIcon::Exclamation, QStringLiteral("Settings Reset"), notice);
        store->clearPendingNotice();
    }
    const QPointer<QObject> alive(context);
    IUserPrompt* told = &prompt;
    store->setWriteFailureHandler([alive, told](const QString& message) {
        QMetaObject::invokeMethod(
            alive,
            [alive, told, message] {
                if (alive)
                    told->message(
                        PromptIcon::Exclamation, QStringLiteral("Settings Not Saved"), message);
            },
            Qt::QueuedConnection);
    });
}
