#pragma once

#include "appearance/colour_properties.h"
#include "appearance/preset_styles.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mapolt {

class AlertPresenter;
class Project;
class StyleShadow;

// The logic of the appearance panel: preset switching, the colour wells and the shadow
// controls, acting on the front document's project.
class ApperanceTVController {
  public:
    using PropertyObserver = std::function<void(std::string_view property)>;
    using ObserverToken = std::uint64_t;

    static constexpr std::string_view kCustom = "Custom";

    static ApperanceTVController& sharedApperanceTVController();
    ApperanceTVController();
    ApperanceTVController(const ApperanceTVController&) = delete;
    ApperanceTVController& operator=(const ApperanceTVController&) = delete;

    // The front document's project; none while no document is open.
    void setProject(Project* project) { project_ = project; }
    Project* project() const { return project_; }
    void setAlertPresenter(AlertPresenter* presenter) { alertPresenter_ = presenter; }
    void setPresetDirectory(std::filesystem::path directory) {
        presetDirectory_ = std::move(directory);
    }

    static const std::vector<std::string>& styleList();
    const std::string& selectedStyle() const { return selectedStyle_; }
    // Leaving "Custom" asks first. A preset that cannot be read leaves everything as it was.
    void setSelectedStyle(const std::string& name);
    void setCustomStyle();

    // None when the slot holds no colour.
    std::optional<RGBAColour> colour(ColourProperty property) const;
    void setColour(ColourProperty property, const RGBAColour& colour);

    float shadowDepth() const;
    void setShadowDepth(float depth);
    float shadowAngle() const;
    void setShadowAngle(float degrees);

    // Tells observers that every colour, the shadow depth and the shadow angle changed.
    void updateProject();

    // Observers hear the name of each property that changed ("selectedStyle",
    // "taskColour", "shadowDepth", ...).
    ObserverToken addObserver(PropertyObserver observer);
    void removeObserver(ObserverToken token);

    std::optional<RGBAColour> backgroundColour() const {
        return colour(ColourProperty::BackgroundColour);
    }
    void setBackgroundColour(const RGBAColour& c) {
        setColour(ColourProperty::BackgroundColour, c);
    }
    std::optional<RGBAColour> backgroundColour2() const {
        return colour(ColourProperty::BackgroundColour2);
    }
    void setBackgroundColour2(const RGBAColour& c) {
        setColour(ColourProperty::BackgroundColour2, c);
    }
    std::optional<RGBAColour> horizontalColour() const {
        return colour(ColourProperty::HorizontalColour);
    }
    void setHorizontalColour(const RGBAColour& c) {
        setColour(ColourProperty::HorizontalColour, c);
    }
    std::optional<RGBAColour> verticalColour() const {
        return colour(ColourProperty::VerticalColour);
    }
    void setVerticalColour(const RGBAColour& c) { setColour(ColourProperty::VerticalColour, c); }
    std::optional<RGBAColour> linksColour() const { return colour(ColourProperty::LinksColour); }
    void setLinksColour(const RGBAColour& c) { setColour(ColourProperty::LinksColour, c); }
    std::optional<RGBAColour> nonWorkingColour() const {
        return colour(ColourProperty::NonWorkingColour);
    }
    void setNonWorkingColour(const RGBAColour& c) {
        setColour(ColourProperty::NonWorkingColour, c);
    }
    std::optional<RGBAColour> outlineColour() const {
        return colour(ColourProperty::OutlineColour);
    }
    void setOutlineColour(const RGBAColour& c) { setColour(ColourProperty::OutlineColour, c); }
    std::optional<RGBAColour> ruler1Colour() const { return colour(ColourProperty::Ruler1Colour); }
    void setRuler1Colour(const RGBAColour& c) { setColour(ColourProperty::Ruler1Colour, c); }
    std::optional<RGBAColour> ruler2Colour() const { return colour(ColourProperty::Ruler2Colour); }
    void setRuler2Colour(const RGBAColour& c) { setColour(ColourProperty::Ruler2Colour, c); }
    std::optional<RGBAColour> taskColour() const { return colour(ColourProperty::TaskColour); }
    void setTaskColour(const RGBAColour& c) { setColour(ColourProperty::TaskColour, c); }
    std::optional<RGBAColour> superTaskColour() const {
        return colour(ColourProperty::SuperTaskColour);
    }
    void setSuperTaskColour(const RGBAColour& c) { setColour(ColourProperty::SuperTaskColour, c); }
    std::optional<RGBAColour> taskColour2() const { return colour(ColourProperty::TaskColour2); }
    void setTaskColour2(const RGBAColour& c) { setColour(ColourProperty::TaskColour2, c); }
    std::optional<RGBAColour> superTaskColour2() const {
        return colour(ColourProperty::SuperTaskColour2);
    }
    void setSuperTaskColour2(const RGBAColour& c) {
        setColour(ColourProperty::SuperTaskColour2, c);
    }
    std::optional<RGBAColour> gridColour() const { return colour(ColourProperty::GridColour); }
    void setGridColour(const RGBAColour& c) { setColour(ColourProperty::GridColour, c); }
    std::optional<RGBAColour> shadowColour() const { return colour(ColourProperty::ShadowColour); }
    void setShadowColour(const RGBAColour& c) { setColour(ColourProperty::ShadowColour, c); }
    std::optional<RGBAColour> startLineColour() const {
        return colour(ColourProperty::StartLineColour);
    }
    void setStartLineColour(const RGBAColour& c) { setColour(ColourProperty::StartLineColour, c); }
    std::optional<RGBAColour> todayLineColour() const {
        return colour(ColourProperty::TodayLineColour);
    }
    void setTodayLineColour(const RGBAColour& c) { setColour(ColourProperty::TodayLineColour, c); }

  private:
    bool userConfirmsLeavingCustom() const;
    // The slot's record, made when the slot is empty (and the style, its colours or its
    // shadow with it).
    Colour* colourRecordFor(const ColourPropertyDesc& property);
    StyleShadow* shadowForWriting();
    void writeShadowOffset(float x, float y);
    void notifyObservers(std::string_view property) const;
    void postProjectChanged() const;

    Project* project_ = nullptr;
    AlertPresenter* alertPresenter_ = nullptr;
    std::filesystem::path presetDirectory_;
    std::string selectedStyle_{kCustom};
    std::vector<std::pair<ObserverToken, PropertyObserver>> observers_;
    ObserverToken nextToken_ = 1;
};

} // namespace mapolt
