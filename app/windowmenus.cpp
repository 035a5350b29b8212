// The View and Window menus, the popup twin, and storing and restoring the
// window layout.
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "app/layoutrecord.h"
#include "app/mainform.h"
#include "app/mdichild.h"
#include "app/tile.h"
#include "platform/notifier.h"
#include "platform/settings.h"
#include "ui_mainform.h"

void TMainForm::ConnectWindowMenus()
{
    // The two separators of the View menu are stored under their own names.
    int separator = 0;
    for (QAction *a : ui->View1->actions())
        if (a->isSeparator()) a->setObjectName(separator++ == 0 ? "N2" : "N1");

    connect(ui->All1, &QAction::triggered, this, &TMainForm::All1Click);
    connect(ui->StorecurrentWindows1, &QAction::triggered, this, &TMainForm::StorecurrentWindows1Click);
    connect(ui->RestorelastWindows1, &QAction::triggered, this, &TMainForm::RestorelastWindows1Click);
    connect(ui->Tile1, &QAction::triggered, this, &TMainForm::WindowTileHorizontal1Execute);
    connect(ui->Cascade1, &QAction::triggered, ClientArea, &QMdiArea::cascadeSubWindows);
    connect(ui->Close1, &QAction::triggered, ClientArea, &QMdiArea::closeActiveSubWindow);
    connect(ui->CloseAll1, &QAction::triggered, this, &TMainForm::CloseAll1Click);
    connect(ui->MinimizeAll1, &QAction::triggered, this, [this] {
        for (QMdiSubWindow *w : ClientArea->subWindowList()) w->showMinimized();
    });
    connect(ui->Window1, &QMenu::aboutToShow, this, &TMainForm::Window1Click);
    ClientArea->viewport()->installEventFilter(this);
}

QList<QAction *> TMainForm::ViewItems() const { return ui->View1->actions(); }

void TMainForm::RegisterOnDemand(ViewWindow window)
{
    auto entry = std::make_unique<ViewWindow>(std::move(window));
    QAction *item = entry->item;
    QAction *twin = entry->twin;
    // Registering an item again replaces what it opened before.
    for (auto it = onDemand_.begin(); it != onDemand_.end(); ++it) {
        if ((*it)->item != item) continue;
        disconnect(item, &QAction::triggered, this, nullptr);
        if ((*it)->twin) disconnect((*it)->twin, &QAction::triggered, this, nullptr);
        onDemand_.erase(it);
        break;
    }
    connect(item, &QAction::triggered, this, [this, item] {
        // Qt has already flipped the check mark; the window alone sets it.
        item->setChecked(!item->isChecked());
        ToggleWindow(item);
    });
    if (twin) connect(twin, &QAction::triggered, this, [this, item] { ShowFromPopup(item); });
    onDemand_.push_back(std::move(entry));
}

void TMainForm::RegisterFixed(QAction *item, std::function<QWidget *()> window)
{
    fixed_.push_back({item, std::move(window), nullptr});
}

void TMainForm::ShowFixed(QWidget *window)
{
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

TMainForm::ViewWindow *TMainForm::OnDemandOf(QAction *item)
{
    for (auto &w : onDemand_)
        if (w->item == item) return w.get();
    return nullptr;
}

QWidget *TMainForm::WindowOf(QAction *item) const
{
    for (const auto &w : onDemand_)
        if (w->item == item) return item->isChecked() ? w->Tag.data() : nullptr;
    for (const FixedWindow &f : fixed_)
        if (f.item == item) return f.window();
    return nullptr;
}

void TMainForm::ToggleWindow(QAction *item)
{
    ViewWindow *entry = OnDemandOf(item);
    if (!entry) return;
    if (item->isChecked()) {
        delete entry->Tag.data();   // its destructor clears the check mark
        entry->Tag = nullptr;
        if (entry->deleted) entry->deleted();
        return;
    }
    MdiChildForm *form = entry->create(item);
    ClientArea->addSubWindow(form);
    form->show();
    if (entry->placed) entry->placed(form);
    entry->Tag = form;
}

void TMainForm::ShowFromPopup(QAction *item)
{
    if (!item->isChecked()) {
        ToggleWindow(item);
        return;
    }
    if (QWidget *w = WindowOf(item)) {
        w->show();
        w->raise();
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w)) ClientArea->setActiveSubWindow(sub);
    }
}

void TMainForm::DeleteOnDemandWindows()
{
    for (auto &w : onDemand_) {
        if (w->item->isChecked()) delete w->Tag.data();
        w->Tag = nullptr;
        if (w->deleted) w->deleted();
    }
}

void TMainForm::PlaceMonitor(QWidget *monitor)
{
    TileWindow m = MonitorPlacement(ClientArea->width(), FrameClientHeight(), StatusBar1->height(), monitor->minimumHeight());
    monitor->setGeometry(m.left, m.top, m.width, m.height);
}

int TMainForm::FrameClientHeight() const { return ClientArea->height() + StatusBar1->height(); }

void TMainForm::All1Click()
{
    for (QAction *item : {ui->TOAA1, ui->GPPOSA1, ui->LCPOSA2, ui->LCPOSA3, ui->LCPOSA4, ui->INPOSA1, ui->SerialMonitor1})
        if (!item->isChecked() && OnDemandOf(item)) ToggleWindow(item);
    if (QWidget *compass = WindowOf(ui->HDGA1)) compass->show();
    if (!isMaximized()) maximiseWait_.start();   // the maximised size may come later
    showMaximized();
    TileDefaultLogs();
}

void TMainForm::TileDefaultLogs()
{
    WindowTileHorizontal1Execute();
    if (QWidget *compass = WindowOf(ui->HDGA1)) compass->raise();
}

void TMainForm::WindowTileHorizontal1Execute()
{
    static const std::pair<TileSlot, QAction *Ui::TMainForm::*> tileItems[] = {
        {TileToaa, &Ui::TMainForm::TOAA1},        {TileDasfa, &Ui::TMainForm::DASFA1},
        {TileHdgla, &Ui::TMainForm::HDGLA1},      {TileGpgga, &Ui::TMainForm::GPGGA1},
        {TileLoranSound, &Ui::TMainForm::LoranSound1}, {TileGpposa, &Ui::TMainForm::GPPOSA1},
        {TileLcposaCoarse, &Ui::TMainForm::LCPOSA1}, {TileLcposaAutonomous, &Ui::TMainForm::LCPOSA2},
        {TileLcposaAsf, &Ui::TMainForm::LCPOSA3}, {TileLcposaCalibrated, &Ui::TMainForm::LCPOSA4},
        {TileInposa, &Ui::TMainForm::INPOSA1},    {TileMonitor, &Ui::TMainForm::SerialMonitor1},
    };
    std::array<TileWindow, TileSlotCount> tiles{};
    std::array<QWidget *, TileSlotCount> windows{};
    for (auto [slot, member] : tileItems) {
        QWidget *w = WindowOf(ui.get()->*member);
        if (!w) continue;
        windows[slot] = w;
        tiles[slot] = {true, w->x(), w->y(), w->width(), w->height()};
    }
    QWidget *monitor = windows[TileMonitor];
    TileWindows(tiles, ClientArea->width(), FrameClientHeight(), StatusBar1->height(), monitor ? monitor->minimumHeight() : 0);
    for (size_t s = 0; s < TileSlotCount; ++s) {
        QWidget *w = windows[s];
        if (!w) continue;
        w->move(tiles[s].left, tiles[s].top);
        if (s == TileMonitor) w->resize(tiles[s].width, tiles[s].height);
        w->show();
    }
}

void TMainForm::CloseAll1Click()
{
    for (QMdiSubWindow *w : ClientArea->subWindowList()) w->close();
}

void TMainForm::Window1Click() { ui->CloseAll1->setEnabled(!ClientArea->subWindowList().isEmpty()); }

void TMainForm::FormMouseDown(Qt::MouseButton button, const QPoint &clientPos)
{
    if (button == Qt::RightButton) PopupMenu1->popup(ClientArea->viewport()->mapToGlobal(clientPos));
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ClientArea->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Only a press on the frame's own area: a press a child window does not
        // use travels up to here too, and stays the child's.
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint at = me->position().toPoint();
        if (!ClientArea->viewport()->childAt(at)) FormMouseDown(me->button(), at);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Layout store and restore
// ---------------------------------------------------------------------------

namespace {

// Where a window is in the normal state, also while it is minimised or
// maximised: a window stored in those states returns there when restored.
QRect NormalPlace(QWidget *w)
{
    if (auto *child = qobject_cast<MdiChildForm *>(w)) return child->NormalGeometry();
    QRect place(w->pos(), w->size());
    if (!w->isMinimized() && !w->isMaximized()) return place;
    QRect normal = w->normalGeometry();   // without the frame
    return normal.isEmpty() ? place : normal.translated(w->pos() - w->geometry().topLeft());
}

LayoutRecord RecordOf(QWidget *w, int32_t style)
{
    LayoutRecord r;
    r.Open = true;
    r.Style = style;
    r.Visible = w->isVisible();
    QRect place = NormalPlace(w);
    r.Height = place.height();
    r.Width = place.width();
    r.Top = place.y();
    r.Left = place.x();
    r.State = w->isMinimized() ? LayoutRecord::Minimized : w->isMaximized() ? LayoutRecord::Maximized : LayoutRecord::StateNormal;
    return r;
}

int32_t StyleOf(QWidget *w)
{
    if (qobject_cast<QMdiSubWindow *>(w)) return LayoutRecord::MdiChild;
    return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? LayoutRecord::StayOnTop : LayoutRecord::Normal;
}

// The stored place, kept where the window can be reached: no larger than the
// area it lives in (the screen; for a child, the frame's client area), and its
// top-left corner inside that area, at least Reach pixels from its far edges.
QRect Reachable(QWidget *w, const LayoutRecord &r)
{
    constexpr int Reach = 48;
    QRect area = w->isWindow() ? (w->screen() ? w->screen() : QGuiApplication::primaryScreen())->availableGeometry()
                               : QRect(QPoint(0, 0), w->parentWidget()->size());
    auto bound = [](int32_t stored, int least, int most, int room) {
        least = std::max(least, 1);
        return std::clamp(stored, least, std::max(std::min(room, most), least));
    };
    auto fit = [](int32_t at, int from, int room) {
        return static_cast<int>(std::clamp<int64_t>(at, from, from + std::max(room - Reach, 0)));
    };
    return QRect(fit(r.Left, area.left(), area.width()), fit(r.Top, area.top(), area.height()),
                 bound(r.Width, w->minimumWidth(), w->maximumWidth(), area.width()),
                 bound(r.Height, w->minimumHeight(), w->maximumHeight(), area.height()));
}

// The normal size and place first, then the state: a minimised or maximised
// window returns to that size and place. A sub-window already in the normal
// state is not told so again (it would drop to its minimum size).
void ApplyGeometry(QWidget *w, const LayoutRecord &r)
{
    const Qt::WindowStates minMax = Qt::WindowMinimized | Qt::WindowMaximized;
    if (w->windowState() & minMax) w->setWindowState(w->windowState() & ~minMax);
    QRect place = Reachable(w, r);
    w->resize(place.size());
    w->move(place.topLeft());
    Qt::WindowState state = r.State == LayoutRecord::Minimized   ? Qt::WindowMinimized
                            : r.State == LayoutRecord::Maximized ? Qt::WindowMaximized
                                                                 : Qt::WindowNoState;
    if (state != Qt::WindowNoState) w->setWindowState((w->windowState() & ~minMax) | state);
}

void ApplyStyle(QWidget *w, int32_t style)
{
    if (qobject_cast<QMdiSubWindow *>(w) || w->isWindow() == false) return;
    bool onTop = style == LayoutRecord::StayOnTop;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    bool visible = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) w->show();   // changing the flags hides a window
}

void CheckAlwaysOnTopItems(QWidget *w, bool onTop)
{
    for (QAction *a : w->findChildren<QAction *>())
        if (a->objectName().startsWith("AlwaysonTop")) a->setChecked(onTop);
}

} // namespace

void TMainForm::StorecurrentWindows1Click()
{
    for (FixedWindow &f : fixed_) f.Tag = f.window();
    SettingsStore store(SettingsStore::Mode::Create);
    LayoutRecord main = RecordOf(this, LayoutRecord::MdiForm);
    store.WriteBinary("MainForm", QByteArray::fromStdString(main.Encode()));
    for (QAction *item : ViewItems()) {
        QWidget *w = WindowOf(item);
        LayoutRecord r = w ? RecordOf(w, StyleOf(w)) : LayoutRecord{};
        store.WriteBinary(item->objectName(), QByteArray::fromStdString(r.Encode()));
    }
    store.Commit();
}

void TMainForm::RestorelastWindows1Click()
{
    for (FixedWindow &f : fixed_) f.Tag = f.window();
    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (!store.IsOpen()) return;
    auto fail = [this] { Notifier::Error("    Cannot read all info from Registry   ", this); };
    auto read = [&store](const QString &name, bool &bad) -> std::optional<LayoutRecord> {
        bad = false;
        if (!store.Has(name)) return std::nullopt;
        std::optional<QByteArray> bytes = store.ReadBinary(name);
        std::optional<LayoutRecord> r = bytes ? LayoutRecord::Decode(bytes->toStdString()) : std::nullopt;
        bad = !r || (r->Valid == 1 && r->CannotBeWindow());
        return r;
    };

    bool bad = false;
    std::optional<LayoutRecord> main = read("MainForm", bad);
    if (bad) return fail();
    if (main && main->Valid == 1) {
        setVisible(main->Visible || isVisible());
        ApplyGeometry(this, *main);
    }
    for (QAction *item : ViewItems()) {
        std::optional<LayoutRecord> r = read(item->objectName(), bad);
        if (bad) return fail();
        if (!r || r->Valid != 1 || !r->Open) continue;
        if (r->Style == LayoutRecord::MdiChild && OnDemandOf(item) && r->Visible != item->isChecked())
            item->trigger();
        QWidget *w = WindowOf(item);
        if (!r->Visible || !w) continue;
        w->setVisible(true);
        ApplyStyle(w, r->Style);
        ApplyGeometry(w, *r);
        CheckAlwaysOnTopItems(w, r->Style == LayoutRecord::StayOnTop);
    }
}
