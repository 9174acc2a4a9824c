#include "appearance/apperance_tv_controller.h"

#include "appearance/shadow_geometry.h"
#include "appearance/style_tree.h"
#include "model/alert_presenter.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"

namespace mapolt {

namespace {

constexpr std::string_view kSwitch = "Switch";

ShadowOffset offsetOf(const StyleShadow* shadow) {
    return shadow == nullptr ? ShadowOffset{} : ShadowOffset{shadow->x(), shadow->y()};
}

const StyleShadow* shadowOf(const Project* project) {
    const Style* style = project != nullptr ? project->style() : nullptr;
    return style != nullptr ? style->shadowStyle() : nullptr;
}

} // namespace

ApperanceTVController& ApperanceTVController::sharedApperanceTVController() {
    static ApperanceTVController shared;
    return shared;
}

ApperanceTVController::ApperanceTVController() : presetDirectory_(resourceDirectory()) {}

const std::vector<std::string>& ApperanceTVController::styleList() {
    static const std::vector<std::string> list{std::string(kCustom), "School", "Autumn", "Clean"};
    return list;
}

bool ApperanceTVController::userConfirmsLeavingCustom() const {
    if (alertPresenter_ == nullptr)
        return false;
    Alert alert;
    alert.style = AlertStyle::Warning;
    alert.message = "Change to a preset style will delete any non saved custom properties.  You "
                    "can save styles from the file menu.";
    alert.informativeText = "Are you sure you want to loose custom?";
    alert.buttons = {std::string(kSwitch), "Cancel"};
    const int answer = alertPresenter_->runAlert(alert);
    return answer >= 0 && static_cast<std::size_t>(answer) < alert.buttons.size() &&
           alert.buttons[static_cast<std::size_t>(answer)] == kSwitch;
}

void ApperanceTVController::setSelectedStyle(const std::string& name) {
    if (selectedStyle_ == kCustom && !userConfirmsLeavingCustom())
        return;
    if (const PresetStyle* preset = presetNamed(name)) {
        if (project_ == nullptr || !applyPresetStyle(*project_, *preset, presetDirectory_))
            return;
        project_->store().flushPendingChanges();
    }
    selectedStyle_ = name;
    notifyObservers("selectedStyle");
    postProjectChanged();
}

void ApperanceTVController::setCustomStyle() {
    selectedStyle_ = std::string(kCustom);
    notifyObservers("selectedStyle");
}

std::optional<RGBAColour> ApperanceTVController::colour(ColourProperty property) const {
    const Style* style = project_ != nullptr ? project_->style() : nullptr;
    if (style == nullptr)
        return std::nullopt;
    const ColourPropertyDesc& d = colourProperty(property);
    const Colour* c = nullptr;
    if (!d.slot) {
        c = style->shadowStyle() != nullptr ? style->shadowStyle()->colour() : nullptr;
    } else if (const StyleColours* colours = style->colours()) {
        c = (colours->*colourSlot(*d.slot).member)();
    }
    if (c == nullptr)
        return std::nullopt;
    return rgbaOf(*c);
}

StyleShadow* ApperanceTVController::shadowForWriting() {
    Style* style = ensureStyle(*project_);
    if (StyleShadow* shadow = style->shadowStyle())
        return shadow;
    auto* shadow = project_->store().insert<StyleShadow>();
    style->set(&Style::shadowStyle, shadow);
    return shadow;
}

Colour* ApperanceTVController::colourRecordFor(const ColourPropertyDesc& property) {
    Store& store = project_->store();
    if (!property.slot) {
        StyleShadow* shadow = shadowForWriting();
        if (Colour* c = shadow->colour())
            return c;
        Colour* c = insertColour(store, RGBAColour{});
        shadow->set(&StyleShadow::colour, c);
        return c;
    }
    Style* style = ensureStyle(*project_);
    StyleColours* colours = style->colours();
    if (colours == nullptr) {
        colours = store.insert<StyleColours>();
        style->set(&Style::colours, colours);
    }
    const auto member = colourSlot(*property.slot).member;
    if (Colour* c = (colours->*member)())
        return c;
    Colour* c = insertColour(store, RGBAColour{});
    colours->set(member, c);
    return c;
}

void ApperanceTVController::setColour(ColourProperty property, const RGBAColour& colour) {
    const ColourPropertyDesc& d = colourProperty(property);
    if (!d.keepsPreset)
        setCustomStyle();
    if (project_ == nullptr)
        return;
    writeRGBA(*colourRecordFor(d), colour);
    postProjectChanged();
}

float ApperanceTVController::shadowDepth() const {
    return shadowDepthOf(offsetOf(shadowOf(project_)));
}

float ApperanceTVController::shadowAngle() const {
    return shadowAngleOf(offsetOf(shadowOf(project_)));
}

void ApperanceTVController::writeShadowOffset(float x, float y) {
    StyleShadow* shadow = shadowForWriting();
    shadow->set(&StyleShadow::x, x);
    shadow->set(&StyleShadow::y, y);
    postProjectChanged();
}

void ApperanceTVController::setShadowDepth(float depth) {
    setCustomStyle();
    if (project_ == nullptr)
        return;
    const ShadowOffset o = withShadowDepth(offsetOf(shadowOf(project_)), depth);
    writeShadowOffset(o.x, o.y);
}

void ApperanceTVController::setShadowAngle(float degrees) {
    setCustomStyle();
    if (project_ == nullptr)
        return;
    const ShadowOffset o = withShadowAngle(offsetOf(shadowOf(project_)), degrees);
    writeShadowOffset(o.x, o.y);
}

void ApperanceTVController::updateProject() {
    for (const ColourPropertyDesc& d : colourProperties())
        notifyObservers(d.name);
    notifyObservers("shadowDepth");
    notifyObservers("shadowAngle");
}

ApperanceTVController::ObserverToken ApperanceTVController::addObserver(PropertyObserver observer) {
    const ObserverToken token = nextToken_++;
    observers_.emplace_back(token, std::move(observer));
    return token;
}

void ApperanceTVController::removeObserver(ObserverToken token) {
    std::erase_if(observers_, [&](const auto& o) { return o.first == token; });
}

void ApperanceTVController::notifyObservers(std::string_view property) const {
    const auto observers = observers_;
    for (const auto& [token, observer] : observers)
        observer(property);
}

void ApperanceTVController::postProjectChanged() const {
    NotificationCenter::defaultCenter().post(kProjectChanged, this,
                                             project_ != nullptr ? &project_->store() : nullptr);
}

} // namespace mapolt
