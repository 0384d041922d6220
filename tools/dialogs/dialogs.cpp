// Screenshots of the shared dialogs as the program shows them: the message box (two lines, OK and Cancel with
// the information icon, and a long warning) and the about box, with the language file beside the program.
#include "app/Udefine.h"
#include "ui/Uformabout.h"
#include "ui/Uformmsgbox.h"
#include "ui/Uformres.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <functional>

namespace {

QString g_OutDir;

// Saves the newest modal form once it is on screen, then lets `finish` end its modal loop.
void ShootWhenShown(const QString& file, const std::function<void(TFormBase*)>& finish)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, file, finish] {
        TFormBase* top = TopModalForm();
        if (!top || !top->isVisible())
            return;
        poll->deleteLater();
        QCoreApplication::processEvents();
        top->grab().save(QDir(g_OutDir).filePath(file));
        finish(top);
    });
    poll->start(50);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_OutDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    g_Var.ReadFiles(QCoreApplication::applicationDirPath() + QStringLiteral("/wlanutil"));
    TFormRes res;
    FormRes = &res;

    const auto close = [](TFormBase* form) { form->close(); };
    ShootWhenShown(QStringLiteral("msgbox-65.png"), close);
    ShowMsgBox(nullptr,
               QStringLiteral("The profile \"Office\" was saved.\\nDo you want to connect with it now?"), 65);
    ShootWhenShown(QStringLiteral("msgbox-52.png"), close);
    ShowMsgBox(
        nullptr,
        QStringLiteral("The adapter is handed over to the system's wireless service. While it is, this "
                       "utility shows the link but cannot change it. Take the adapter back?"),
        0x30 | 4);
    ShootWhenShown(QStringLiteral("msgbox-0.png"), close);
    ShowMsgBox(nullptr, QStringLiteral("Done."), 0);

    ShootWhenShown(QStringLiteral("about.png"), close);
    TFormAbout about;
    const TDriverTexts driver{QStringLiteral("5.1.2600"), QStringLiteral("/lib/modules/tsw/tsw.ko")};
    about.ShowAbout(nullptr, &driver);
    FormRes = nullptr;
    return 0;
}
