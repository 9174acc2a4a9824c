#pragma once

namespace mapolt {

class Project;
class ATask;
class DepLink;
class MileStone;
class Resource;
class ATaskResource;
class AResourceUsage;
class Calandar;
class Week;
class Day;
class Baseline;
class PrintSettings;
class ColumnStates;
class Style;
class StyleElement;
class StyleColours;
class StyleShadow;
class StyleMargin;
class Colour;

} // namespace mapolt
