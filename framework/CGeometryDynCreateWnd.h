// Makes a Qt window resizable by geometry rules: CGeometryDynCreateWnd<T> derives from the
// host class T (a dialog, a property sheet, a form view or a property page) and, once the
// host is built, lays it out at its smallest size with its Qt layout, takes the controls'
// rectangles there as their design rectangles and from then on places the registered
// controls by their specs alone whenever the host is resized.
//
// Controls are known by an id (setControlId). A host registers them either in code after
// construction (addGeometry), from its constructor with setGeometrySpecText, or with
// invisible marker boxes: a hidden QCheckBox, QRadioButton or QGroupBox captioned
// "$Geometry:<spec>" gives its spec to every other child lying wholly inside it.
//
//     auto* dialog = new CGeometryDynCreateWnd<CMultipleFolders>(parent);
//     setGeometrySpecText(list, "CX+CY");   // or, after construction:
//     dialog->addGeometry(kOkId, spec, dialog);
//
// The geometry is initialised when the host is first polished or shown, or earlier by
// initGeometry().
#pragma once

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QLayout>
#include <QPoint>
#include <QRadioButton>
#include <QRect>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QString>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "criteria/core/GeometryLayout.h"
#include "criteria/core/GeometryMarkers.h"
#include "criteria/core/GeometrySpec.h"

namespace scoutwell {

// The tests' reader of state no control shows (tests/gui/TestAccess.h); no code of it ships.
namespace testing {
struct Access;
}

// The name the geometry hosts are known by.
inline constexpr char kGeometryHostClassName[] = "CGeometryDynCreateWnd";
// Dynamic properties of a host's controls: the control id and a spec text registered at
// initialisation.
inline constexpr char kControlIdProperty[] = "scoutwellControlId";
inline constexpr char kGeometrySpecProperty[] = "scoutwellGeometrySpec";
// A property sheet's buttons live in this strip at the bottom of its client area.
inline constexpr int kSheetButtonStripHeight = 60;
// Children without an id get one from here on when a marker needs them; dialog ids are
// 16-bit, so these never meet a real one.
inline constexpr int kFirstAutomaticControlId = 0x10000;

inline void setControlId(QWidget* control, int controlId) {
    control->setProperty(kControlIdProperty, controlId);
}

// The control's id; nullopt when it has none.
inline std::optional<int> controlIdOf(const QWidget* control) {
    const QVariant id = control->property(kControlIdProperty);
    if (!id.isValid()) {
        return std::nullopt;
    }
    return id.toInt();
}

// The direct child of `host` with that id, or null.
inline QWidget* findControl(const QWidget* host, int controlId) {
    for (QWidget* child : host->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (controlIdOf(child) == controlId) {
            return child;
        }
    }
    return nullptr;
}

// Registers `control` with `text` when its host initialises its geometry, as if the host
// had called addGeometry then. Usable from the host's constructor.
inline void setGeometrySpecText(QWidget* control, const QString& text) {
    control->setProperty(kGeometrySpecProperty, text);
}

// The host widget as the layout core sees it: controls are direct children found by id,
// rectangles are in the host's coordinates.
class QtGeometryHostWindow : public GeometryHostWindow {
  public:
    explicit QtGeometryHostWindow(QWidget* host) : host_(host) {}

    bool windowExists() const override { return host_ != nullptr; }

    std::optional<GeometryRect> controlRect(std::int32_t controlId) const override {
        const QWidget* control = host_ ? findControl(host_, controlId) : nullptr;
        if (control == nullptr) {
            return std::nullopt;
        }
        const QRect r = control->geometry();
        return GeometryRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    }

    void placeControl(std::int32_t controlId, const GeometryPlacement& placement) override {
        if (QWidget* control = host_ ? findControl(host_, controlId) : nullptr) {
            control->setGeometry(placement.x, placement.y, placement.width, placement.height);
        }
    }

  private:
    QWidget* host_;
};

template <class T>
constexpr GeometryHostKind defaultGeometryHostKind() {
    if constexpr (std::is_base_of_v<QDialog, T>) {
        return GeometryHostKind::dialog;
    } else if constexpr (std::is_base_of_v<QTabWidget, T>) {
        return GeometryHostKind::propertySheet;
    } else if constexpr (std::is_base_of_v<QAbstractScrollArea, T>) {
        return GeometryHostKind::formView;
    } else {
        return GeometryHostKind::propertyPage;
    }
}

template <class T, GeometryHostKind Kind = defaultGeometryHostKind<T>()>
class CGeometryDynCreateWnd : public T {
    static_assert(std::is_base_of_v<QWidget, T>, "a geometry host is a widget");

  public:
    using T::T;

    static constexpr GeometryHostKind kHostKind = Kind;

    // Registers `controlId` with `spec`; a control registered before only takes the new
    // spec. A new control's design rectangle is read from `host` when given (it is read
    // again at the end of the initialisation anyway). Always true.
    bool addGeometry(int controlId, const GeometrySpec& spec, QWidget* host = nullptr) {
        QtGeometryHostWindow window(host);
        return layout_.addGeometry(controlId, spec, host != nullptr ? &window : nullptr);
    }

    void removeGeometry(int controlId) { layout_.removeGeometry(controlId); }

    // Lays the host out at its smallest size, records the design, registers the controls of
    // setGeometrySpecText and of the markers, and places the controls for the current size.
    // Runs once; later calls do nothing.
    void initGeometry() {
        if (initialised_) {
            return;
        }
        initialised_ = true;
        const QSize design = layOutAtSmallestSize();
        if constexpr (Kind == GeometryHostKind::propertySheet) {
            prepareSheet(design);
        }
        layout_.recordDesignClientRect({0, 0, design.width(), design.height()});
        registerSpecTexts();
        scanMarkers();
        QtGeometryHostWindow window(this);
        layout_.rereadDesignRects(window);
        applyMinimumSize();
        if (this->size() != design) {
            sizeChanged(this->size());
        }
    }

    const GeometryLayout& geometryLayout() const { return layout_; }

  protected:
    bool event(QEvent* e) override {
        const bool result = T::event(e);
        if (e->type() == QEvent::Polish) {
            initGeometry();
        } else if (e->type() == QEvent::Show) {
            if (!initialised_) {
                initGeometry();
            } else if constexpr (Kind == GeometryHostKind::propertyPage) {
                // A page hidden while its sheet was resized is laid out when it is shown.
                sizeChanged(this->size());
            }
        }
        return result;
    }

    void resizeEvent(QResizeEvent* e) override {
        T::resizeEvent(e);
        if (initialised_ && !this->isMinimized()) {
            sizeChanged(e->size());
        }
    }

  private:
    // The host's own layout sizes and places the controls once, at the smallest size it
    // allows (so no text is clipped); after that it stays out of the way.
    QSize layOutAtSmallestSize() {
        QLayout* qtLayout = this->layout();
        if (qtLayout == nullptr) {
            return this->size();
        }
        const QSize smallest = qtLayout->totalMinimumSize().expandedTo(this->minimumSize());
        qtLayout->setGeometry(QRect(QPoint(0, 0), smallest));
        qtLayout->setEnabled(false);
        return smallest;
    }

    void prepareSheet(const QSize& design) {
        if (this->isWindow()) {
            this->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        makeMarker(QStringLiteral("CX+CY"), QRect(0, 0, design.width(), design.height()));
        makeMarker(QStringLiteral("X+Y"), QRect(0, design.height() - kSheetButtonStripHeight,
                                                design.width(), kSheetButtonStripHeight));
        if constexpr (std::is_base_of_v<QTabWidget, T>) {
            const int active = this->currentIndex();
            for (int i = 0; i < this->count(); ++i) {
                this->setCurrentIndex(i);
            }
            this->setCurrentIndex(active);
        }
    }

    void makeMarker(const QString& spec, const QRect& rect) {
        auto* marker = new QGroupBox(
            QString::fromLatin1(kGeometryMarkerPrefix.data(), kGeometryMarkerPrefix.size()) + spec,
            this);
        setControlId(marker, kGeometryMarkerId);
        marker->setGeometry(rect);
        marker->hide();
    }

    std::vector<QWidget*> geometryChildren() const {
        std::vector<QWidget*> result;
        for (QObject* object : QObject::children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && !child->isWindow() && !isTabWidgetPart(child)) {
                result.push_back(child);
            }
        }
        return result;
    }

    // A tab widget places its own tab bar and page stack.
    bool isTabWidgetPart(const QWidget* child) const {
        if constexpr (std::is_base_of_v<QTabWidget, T>) {
            return child == this->tabBar() ||
                   (qobject_cast<const QStackedWidget*>(child) != nullptr &&
                    child->objectName() == QLatin1String("qt_tabwidget_stackedwidget"));
        } else {
            return false;
        }
    }

    int ensureControlId(QWidget* child) {
        if (const std::optional<int> id = controlIdOf(child)) {
            return *id;
        }
        while (findControl(this, nextAutomaticId_) != nullptr) {
            ++nextAutomaticId_;
        }
        setControlId(child, nextAutomaticId_);
        return nextAutomaticId_++;
    }

    void registerSpecTexts() {
        for (QWidget* child : geometryChildren()) {
            const QVariant text = child->property(kGeometrySpecProperty);
            if (text.isValid()) {
                GeometrySpec spec;
                parseGeometrySpec(text.toString().toStdString(), spec);
                addGeometry(ensureControlId(child), spec, this);
            }
        }
    }

    static std::optional<QString> boxCaption(const QWidget* child) {
        if (const auto* box = qobject_cast<const QGroupBox*>(child)) {
            return box->title();
        }
        if (qobject_cast<const QCheckBox*>(child) != nullptr ||
            qobject_cast<const QRadioButton*>(child) != nullptr) {
            return static_cast<const QAbstractButton*>(child)->text();
        }
        return std::nullopt;
    }

    void scanMarkers() {
        const std::vector<QWidget*> widgets = geometryChildren();
        std::vector<GeometryChild> described;
        described.reserve(widgets.size());
        bool anyMarker = false;
        for (QWidget* child : widgets) {
            GeometryChild c;
            const std::optional<QString> caption = boxCaption(child);
            c.boxButton = caption.has_value();
            c.caption = caption ? caption->toStdString() : std::string();
            // Until the host is shown no child is visible; only one hidden on purpose
            // counts as invisible.
            c.visible = !child->isHidden();
            const QRect r = child->geometry();
            c.rect = {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
            anyMarker = anyMarker || isGeometryMarker(c);
            described.push_back(std::move(c));
        }
        if (!anyMarker) {
            return;
        }
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            described[i].controlId = ensureControlId(widgets[i]);
        }
        scanGeometryMarkers(described, [this](std::int32_t id, const GeometrySpec& spec) {
            addGeometry(id, spec, this);
        });
        // A marker has done its work: screen readers must not announce "$Geometry:CX+CY".
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            if (isGeometryMarker(described[i]))
                clearCaption(widgets[i]);
        }
    }

    static void clearCaption(QWidget* marker) {
        if (auto* box = qobject_cast<QGroupBox*>(marker))
            box->setTitle(QString());
        else if (auto* button = qobject_cast<QAbstractButton*>(marker))
            button->setText(QString());
    }

    void applyMinimumSize() {
        // Qt's minimum sizes are client sizes: the window manager adds the frame.
        const GeometryMinimumSize minimum = layout_.minimumTrackingSize(GeometryFrameMetrics{});
        if (minimum.width) {
            this->setMinimumWidth(*minimum.width);
        }
        if (minimum.height) {
            this->setMinimumHeight(*minimum.height);
        }
    }

    void sizeChanged(const QSize& size) {
        if constexpr (Kind == GeometryHostKind::propertyPage) {
            auto* stack = qobject_cast<QStackedWidget*>(this->parentWidget());
            if (stack != nullptr && stack->currentWidget() != this) {
                this->hide();
            }
        }
        QtGeometryHostWindow window(this);
        layout_.resized(size.width(), size.height(), window);
    }

    GeometryLayout layout_{Kind};
    bool initialised_ = false;
    int nextAutomaticId_ = kFirstAutomaticControlId;

    friend struct testing::Access;
};

}  // namespace scoutwell
