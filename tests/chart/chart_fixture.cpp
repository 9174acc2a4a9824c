#include "chart_fixture.h"

#include "appearance/colour_slots.h"
#include "chart/chart_image.h"

#include <QPainter>

namespace mapolt::testing {

namespace {

RGBAColour rgbaOf(QColor c) {
    return {static_cast<float>(c.redF()), static_cast<float>(c.greenF()),
            static_cast<float>(c.blueF()), static_cast<float>(c.alphaF())};
}

} // namespace

ChartFixture::ChartFixture() {
    project()->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
    project()->set(&Project::dividerPosition, 300.0f);
    Style* s = style();
    StyleMargin* m = s->margins();
    if (m == nullptr) {
        m = store().insert<StyleMargin>();
        s->set(&Style::margins, m);
    }
    m->set(&StyleMargin::top, 4.0f);
    m->set(&StyleMargin::bottom, 3.0f);
    m->set(&StyleMargin::height, 12.0f);
    m->set(&StyleMargin::left, 5.0f);
    m->set(&StyleMargin::right, 5.0f);
    for (auto member :
         {&Style::taskLabels, &Style::resourceLabels, &Style::milestoneLabels, &Style::taskList}) {
        if ((s->*member)() == nullptr)
            s->set(member, store().insert<StyleElement>());
        StyleElement* e = (s->*member)();
        e->set(&StyleElement::font, std::string("DejaVu Sans"));
        e->set(&StyleElement::size, 10.0);
    }
    s->taskLabels()->set(&StyleElement::position, 1);
    s->resourceLabels()->set(&StyleElement::position, 3);
    s->milestoneLabels()->set(&StyleElement::position, 0);
    chart = std::make_unique<DocumentChart>(document);
    refresh();
}

ATask* ChartFixture::task(const std::string& name, float start, float days, ATask* parent) {
    auto* t = store().insert<ATask>();
    t->setName(name);
    t->set(&ATask::project, project());
    t->set(&ATask::daysFromStart, start);
    t->set(&ATask::elapsedTime, days);
    t->set(&ATask::invalid, false);
    t->set(&ATask::viewOrder, nextViewOrder_++);
    t->set(&ATask::isExpanded, true);
    if (parent != nullptr)
        t->set(&ATask::superTask, parent);
    return t;
}

DepLink* ChartFixture::link(ATask* from, ATask* to, double lag) {
    auto* l = store().insert<DepLink>();
    l->set(&DepLink::daysBetween, lag);
    l->set(&DepLink::dependTask, from);
    l->set(&DepLink::dependeeTask, to);
    return l;
}

Resource* ChartFixture::resource(const std::string& name, std::optional<QColor> colour) {
    auto* r = store().insert<Resource>();
    r->setName(name);
    if (colour)
        r->set(&Resource::colour, insertColour(store(), rgbaOf(*colour)));
    return r;
}

ATaskResource* ChartFixture::assign(ATask* t, Resource* r, float perc) {
    auto* a = store().insert<ATaskResource>();
    a->set(&ATaskResource::perc, perc);
    a->set(&ATaskResource::resource, r);
    a->set(&ATaskResource::task, t);
    return a;
}

void ChartFixture::setColour(ColourSlot slot, QColor colour) {
    StyleColours* colours = style()->colours();
    Colour* c = (colours->*colourSlot(slot).member)();
    if (c == nullptr) {
        c = insertColour(store(), rgbaOf(colour));
        colours->set(colourSlot(slot).member, c);
    } else {
        writeRGBA(*c, rgbaOf(colour));
    }
}

void ChartFixture::refresh() {
    store().flushPendingChanges();
    chart->refresh();
}

void ChartFixture::setGeometry(float dayWidth, float leftDayMargin) {
    ChartGeometry g = context().geometry();
    g.dayWidth = dayWidth;
    g.leftDayMargin = leftDayMargin;
    context().setGeometry(g);
}

QImage ChartFixture::paint(int width, int height, const std::function<void(QPainter&)>& draw) {
    QImage image = makeChartImage(width, height);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    return image;
}

QImage ChartFixture::drawChart(int width, int height) {
    return paint(width, height,
                 [&](QPainter& p) { view().drawChartRect(p, QRectF(0, 0, width, height)); });
}

QColor pixel(const QImage& image, int x, int y) {
    return QColor::fromRgba(image.pixel(x, y));
}

} // namespace mapolt::testing
