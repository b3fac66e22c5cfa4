#include "gui/cframe.h"

#include "gui/animator.h"
#include "gui/cdrawcontext.h"
#include "gui/platformwindow.h"
#include "gui/vstguieditorinterface.h"

#include <algorithm>
#include <cairo.h>
#include <chrono>
#include <cmath>
#include <cstring>

namespace VSTGUI {
namespace {

uint64_t steadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int32 pixels(CCoord c) {
    return static_cast<int32>(std::lround(c));
}

} // namespace

CFrame::CFrame(const CRect& size, void* pSystemWindow, VSTGUIEditorInterface* pEditor)
    : CViewContainer(size), m_pEditor(pEditor),
      m_editorLifetime(pEditor != nullptr ? pEditor->lifetime() : std::weak_ptr<const void>()),
      m_madeForEditor(pEditor != nullptr), m_animator(std::make_unique<Animator>()),
      m_clock(steadyMilliseconds) {
    setParentFrame(this);
    if (pSystemWindow != nullptr)
        open(pSystemWindow);
}

CFrame::CFrame(const CRect& size, VSTGUIEditorInterface* pEditor)
    : CFrame(size, nullptr, pEditor) {}

CFrame::~CFrame() {
    // Views end their animations and edits while the frame still stands.
    releaseViews();
    m_animator.reset();
    // The window (and its display connection) goes before the image it showed.
    m_window.reset();
    if (m_backBuffer != nullptr)
        cairo_surface_destroy(m_backBuffer);
    setParentFrame(nullptr);
}

void CFrame::releaseViews() {
    clearMouseDownView();
    // Every gesture ends first, each view still in its place: the host told
    // of an end edit may delete the editor, and with it whatever the views
    // were told to report to; the gestures still open then end untold.
    // Nothing after that asks the editor anything, and taking the views
    // apart touches none of it.
    endGesture();
    m_pEditor = nullptr;
    removeAll(true);
}

void CFrame::close() {
    if (m_closed)
        return;
    m_closed = true;
    releaseViews();
    m_window.reset();
    m_pSystemWindow = nullptr;
    forget();
}

bool CFrame::open(void* pSystemWindow) {
    if (m_closed)
        return false;
    m_window.reset();
    m_pSystemWindow = pSystemWindow;
    if (pSystemWindow == nullptr)
        return false;
    m_window = PlatformWindow::create(pSystemWindow, pixels(m_size.getWidth()),
                                      pixels(m_size.getHeight()));
    m_needsRedraw = true;
    return m_window != nullptr;
}

bool CFrame::isWindowOpen() const {
    return m_window != nullptr && m_window->isAlive();
}

bool CFrame::setSize(CCoord width, CCoord height) {
    if (width <= 0 || height <= 0)
        return false;
    CRect newSize(m_size.left, m_size.top, m_size.left + width, m_size.top + height);
    if (newSize == m_size)
        return true;
    // The editor asks the host, which may close this frame meanwhile.
    const CBaseObjectGuard self(this);
    VSTGUIEditorInterface* editor = getEditor();
    if (editor != nullptr && (!editor->beforeSizeChange(newSize, m_size) || m_closed))
        return false;
    m_size = newSize;
    if (m_window)
        m_window->resize(pixels(width), pixels(height));
    invalidate();
    return true;
}

void CFrame::invalidate() {
    m_needsRedraw = true;
}

void CFrame::setDirty(bool val) {
    CView::setDirty(val);
    if (val)
        invalidate();
}

void CFrame::setTimeSource(std::function<uint64_t()> clock) {
    m_clock = clock ? std::move(clock) : std::function<uint64_t()>(steadyMilliseconds);
}

uint64_t CFrame::getTimeMs() const {
    return m_clock();
}

void CFrame::allocateBackBuffer() {
    const int32 width = std::max(1, pixels(m_size.getWidth()));
    const int32 height = std::max(1, pixels(m_size.getHeight()));
    if (m_backBuffer != nullptr && cairo_image_surface_get_width(m_backBuffer) == width &&
        cairo_image_surface_get_height(m_backBuffer) == height)
        return;
    if (m_backBuffer != nullptr)
        cairo_surface_destroy(m_backBuffer);
    m_backBuffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

void CFrame::draw(CDrawContext* context) {
    // The frame's children use window coordinates whatever the frame's origin.
    const CRect local(0, 0, m_size.getWidth(), m_size.getHeight());
    drawBackgroundRect(context, local);
    for (CView* child : m_children)
        child->drawView(context);
}

void CFrame::render() {
    allocateBackBuffer();
    cairo_t* cr = cairo_create(m_backBuffer);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    {
        CDrawContext context(cr);
        draw(&context);
    }
    cairo_destroy(cr);
    cairo_surface_flush(m_backBuffer);
    m_needsRedraw = false;
    CView::setDirty(false);
    ++m_renderCount;
}

CColor CFrame::getPixel(int32 x, int32 y) const {
    if (m_backBuffer == nullptr || x < 0 || y < 0 ||
        x >= cairo_image_surface_get_width(m_backBuffer) ||
        y >= cairo_image_surface_get_height(m_backBuffer))
        return CColor(0, 0, 0, 0);
    const unsigned char* row = cairo_image_surface_get_data(m_backBuffer) +
                               y * cairo_image_surface_get_stride(m_backBuffer);
    uint32 argb;
    std::memcpy(&argb, row + 4 * x, sizeof argb);
    const unsigned a = (argb >> 24) & 0xff;
    auto channel = [a](unsigned premultiplied) {
        return static_cast<std::uint8_t>(a == 0 ? 0 : (premultiplied * 255 + a / 2) / a);
    };
    return CColor(channel((argb >> 16) & 0xff), channel((argb >> 8) & 0xff), channel(argb & 0xff),
                  static_cast<std::uint8_t>(a));
}

cairo_surface_t* CFrame::renderedImage() {
    if (m_needsRedraw || m_backBuffer == nullptr)
        render();
    return m_backBuffer;
}

void CFrame::processWindowEvents() {
    PlatformEvent event;
    while (m_window && m_window->nextEvent(event)) {
        CPoint where = event.where;
        switch (event.type) {
        case PlatformEvent::kExpose:
            m_presentPending = true;
            break;
        case PlatformEvent::kMouseDown:
            onMouseDown(where, CButtonState(event.buttons));
            break;
        case PlatformEvent::kMouseUp:
            onMouseUp(where, CButtonState(event.buttons));
            break;
        case PlatformEvent::kMouseMoved:
            onMouseMoved(where, CButtonState(event.buttons));
            break;
        case PlatformEvent::kWheel:
            onWheel(where, event.distance, CButtonState(event.buttons));
            break;
        case PlatformEvent::kParentDestroyed:
        case PlatformEvent::kNone:
            break;
        }
    }
}

void CFrame::idle() {
    if (m_closed)
        return;
    // A click handled here may end in the host closing the editor.
    const CBaseObjectGuard self(this);
    processWindowEvents();
    if (m_closed)
        return;
    if (m_animator->hasAnimations())
        m_animator->tick(getTimeMs());
    if (m_needsRedraw) {
        render();
        m_presentPending = true;
    }
    if (m_presentPending && m_window && m_window->isAlive() && m_window->isExposed()) {
        if (m_backBuffer == nullptr)
            render();
        m_window->present(m_backBuffer);
        m_presentPending = false;
    }
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (m_closed)
        return kMouseEventNotHandled;
    const CBaseObjectGuard self(this);
    m_lastMouse = where;
    if (getMouseDownView() != nullptr) {
        const int32 pressed = buttons & (kLButton | kMButton | kRButton);
        // Another button pressed while one is held belongs to the running press.
        if ((pressed & (pressed - 1)) != 0)
            return kMouseEventHandled;
        // A single button pressed again means the release of the last press
        // never came (the window lost it): end that press here first.
        CPoint up(where.x + m_size.left, where.y + m_size.top);
        CViewContainer::onMouseUp(up, buttons);
        if (m_closed)
            return kMouseEventHandled;
    }
    CPoint p(where.x + m_size.left, where.y + m_size.top);
    return CViewContainer::onMouseDown(p, buttons);
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons) {
    if (m_closed)
        return kMouseEventNotHandled;
    m_lastMouse = where;
    CPoint p(where.x + m_size.left, where.y + m_size.top);
    return CViewContainer::onMouseUp(p, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (m_closed)
        return kMouseEventNotHandled;
    m_lastMouse = where;
    CPoint p(where.x + m_size.left, where.y + m_size.top);
    return CViewContainer::onMouseMoved(p, buttons);
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
    if (m_closed)
        return false;
    m_lastMouse = where;
    CPoint p(where.x + m_size.left, where.y + m_size.top);
    return CViewContainer::onWheel(p, distance, buttons);
}

} // namespace VSTGUI
