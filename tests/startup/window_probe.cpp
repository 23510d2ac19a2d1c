// Loaded into the program by the start-up check (scripts/check-run) through
// QT_QPA_GENERIC_PLUGINS=kivrawindowprobe:DIR, so that the program needs no
// hook of its own. Loaded, the probe says so in DIR/probe, so that the check
// can tell a probe that never loaded from a window that never came. Once the
// main window is shown and exposed, the probe writes its class and title to
// DIR/window; when DIR/close appears, it closes that window as a user would.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

class WindowWatch : public QObject {
public:
    explicit WindowWatch(const QString& dir) : dir_(dir) {
        (void)QFile(dir_.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { Look(); });
        timer->start(100);
    }

private:
    void Look() {
        if (!window_) window_ = ShownMainWindow();
        if (!window_) return;
        if (!reported_) {
            QFile report(dir_.filePath(QStringLiteral("window")));
            if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
            report.write(QByteArray(window_->metaObject()->className()) + ' ' + window_->windowTitle().toUtf8() +
                         '\n');
            reported_ = true;
        }
        if (!closing_ && QFile::exists(dir_.filePath(QStringLiteral("close")))) {
            closing_ = true;
            window_->close();
        }
    }

    static QMainWindow* ShownMainWindow() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<QMainWindow*>(w);
            if (main && main->isVisible() && main->windowHandle() && main->windowHandle()->isExposed())
                return main;
        }
        return nullptr;
    }

    QDir dir_;
    QPointer<QMainWindow> window_;
    bool reported_ = false;
    bool closing_ = false;
};

} // namespace

class WindowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_probe.json")
public:
    // Qt hands over the text after the key's colon: the check's folder.
    QObject* create(const QString& key, const QString& folder) override {
        if (key.compare(QLatin1String("kivrawindowprobe"), Qt::CaseInsensitive) != 0 || folder.isEmpty())
            return nullptr;
        return new WindowWatch(folder);
    }
};

#include "window_probe.moc"
