#include "host/lv2/Description.h"

#include "host/lv2/Ports.h"

#include "framework/de/Converters.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

namespace zt::lv2 {

namespace {

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                              "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                              "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                              "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n\n";

// A float as Turtle reads it back exactly: nine significant digits, always with a
// decimal point or an exponent, so that it is a number and not an integer.
std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return s;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// A file name as a relative IRI.
std::string RelativeIri(const std::string& file)
{
    std::string out = "<";
    for (unsigned char c : file) {
        if (std::isalnum(c) || std::strchr("-._~", c)) {
            out += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out + ">";
}

// The automation name without its short forms ("Name@Nm").
std::string TitleOf(const zt::ztpi::SAutomationInfo& info)
{
    std::string name(info.name, strnlen(info.name, sizeof info.name));
    return name.substr(0, name.find('@'));
}

std::vector<std::string> ListTexts(const zt::ztpi::SAutomationInfo& info)
{
    std::vector<std::string> texts;
    std::string all(info.valueTexts, strnlen(info.valueTexts, sizeof info.valueTexts));
    if (all.empty())
        return texts;
    size_t start = 0;
    for (size_t at; (at = all.find('@', start)) != std::string::npos; start = at + 1)
        texts.push_back(all.substr(start, at - start));
    texts.push_back(all.substr(start));
    return texts;
}

// A two-entry list reading "Off", "On" is a switch.
bool IsSwitch(const zt::ztpi::SAutomationInfo& info)
{
    const std::vector<std::string> texts = ListTexts(info);
    return info.kind == zt::ztpi::SAutomationInfo::kList && info.minimum == 0.0f && info.maximum == 1.0f
        && texts.size() == 2 && texts[0] == "Off" && texts[1] == "On";
}

std::string UnitOf(const SProductInfo& product, const zt::ztpi::SAutomationInfo& info)
{
    const std::string title = TitleOf(info);
    for (int32_t i = 0; i < product.unitCount; ++i)
        if (title == product.units[i].name)
            return UnitName(product.units[i].unit);
    return UnitName(std::string(info.unit, strnlen(info.unit, sizeof info.unit)));
}

std::string GroupIri(const SProductInfo& product, const std::string& name)
{
    return "<" + std::string(product.uri) + "#group_" + SymbolOf(name) + ">";
}

std::string PresetIri(const SProductInfo& product, const std::string& name)
{
    return "<" + std::string(product.uri) + "#preset_" + SymbolOf(name) + ">";
}

void AudioPort(std::ostringstream& out, uint32_t index, bool input, const char* symbol, const char* name,
               const std::string& group, const char* designation, bool sideChain)
{
    out << "    [\n        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n        pg:group " << group << " ;\n"
        << "        lv2:designation " << designation;
    if (sideChain)
        out << " ;\n        lv2:portProperty lv2:isSideChain , lv2:connectionOptional";
    out << "\n    ]";
}

void ControlPortText(std::ostringstream& out, const SProductInfo& product, zt::ztpi::IPlugIn& plugIn, int32_t index,
                     const std::string& symbol)
{
    zt::ztpi::SAutomationInfo info;
    plugIn.GetAutomationInfo(index, &info);
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << ControlPort(index) << " ;\n        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name " << Quoted(TitleOf(info)) << " ;\n"
        << "        lv2:default " << Number(info.defaultValue) << " ;\n"
        << "        lv2:minimum " << Number(info.minimum) << " ;\n"
        << "        lv2:maximum " << Number(info.maximum);
    if (info.group >= 0) {
        char group[zt::ztpi::kTextSize] = {};
        plugIn.GetGroupName(info.group, group);
        out << " ;\n        pg:group " << GroupIri(product, group);
    }
    if (IsSwitch(info)) {
        out << " ;\n        lv2:portProperty lv2:toggled";
    } else if (info.kind == zt::ztpi::SAutomationInfo::kList) {
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        const std::vector<std::string> texts = ListTexts(info);
        for (size_t k = 0; k < texts.size() && k <= static_cast<size_t>(info.maximum); ++k)
            out << " ;\n        lv2:scalePoint [ rdfs:label " << Quoted(texts[k]) << " ; rdf:value "
                << Number(static_cast<float>(k)) << " ]";
    } else {
        if (info.converterType == zt::de::IConverter::kLog || info.converterType == zt::de::IConverter::kTrueLog)
            out << " ;\n        lv2:portProperty pprops:logarithmic";
        const std::string unit = UnitOf(product, info);
        if (!unit.empty())
            out << " ;\n        units:unit units:" << unit;
    }
    out << "\n    ]";
}

}  // namespace

std::string SymbolOf(const std::string& name)
{
    std::string symbol;
    bool gap = false;
    for (unsigned char c : name) {
        if (std::isalnum(c)) {
            if (gap && !symbol.empty())
                symbol += '_';
            gap = false;
            symbol += static_cast<char>(std::tolower(c));
        } else {
            gap = true;
        }
    }
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0])))
        symbol.insert(0, "_");
    return symbol;
}

std::string UnitName(const std::string& unit)
{
    static const std::map<std::string, std::string> kUnits = {
        {"dB", "db"}, {"Hz", "hz"},         {"kHz", "khz"},      {"ms", "ms"},   {"s", "s"},
        {"%", "pc"},  {"samples", "frame"}, {"frames", "frame"}, {"ct", "cent"},
    };
    const auto it = kUnits.find(unit);
    return it == kUnits.end() ? std::string() : it->second;
}

bool ControlSymbols(zt::ztpi::IPlugIn& plugIn, std::vector<std::string>& symbols, std::string& error)
{
    // The fixed ports' symbols are taken too.
    std::set<std::string> taken = {"in_l", "in_r", "out_l", "out_r", "side_l", "side_r", "latency"};
    symbols.clear();
    for (int32_t i = 0; i < plugIn.GetNumParameters(); ++i) {
        zt::ztpi::SAutomationInfo info;
        plugIn.GetAutomationInfo(i, &info);
        const std::string symbol = SymbolOf(TitleOf(info));
        if (!taken.insert(symbol).second) {
            error = "parameter " + std::to_string(i) + " \"" + TitleOf(info) + "\" has the symbol \"" + symbol
                + "\" of another port";
            return false;
        }
        symbols.push_back(symbol);
    }
    return true;
}

bool DescribeBundle(const SProductInfo& product, zt::ztpi::IPlugIn& plugIn, const std::string& binary,
                    const std::string& description, const std::vector<SPreset>& presets, SBundleText& out,
                    std::string& error, const SUIDescription* ui)
{
    std::vector<std::string> symbols;
    if (!ControlSymbols(plugIn, symbols, error))
        return false;
    const std::string self = "<" + std::string(product.uri) + ">";
    const std::string mainIn = "<" + std::string(product.uri) + "#main_in>";
    const std::string mainOut = "<" + std::string(product.uri) + "#main_out>";
    const std::string sideIn = "<" + std::string(product.uri) + "#side_in>";

    std::ostringstream manifest;
    manifest << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
             << "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
             << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
             << "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n"
             << self << "\n    a lv2:Plugin ;\n    lv2:binary " << RelativeIri(binary) << " ;\n"
             << "    rdfs:seeAlso " << RelativeIri(description);
    if (ui)
        manifest << " ;\n    ui:ui <" << ui->uri << ">";
    manifest << " .\n";
    if (ui)
        // The editor works on the plug-in object itself where the host shares it, and on
        // one of its own that mirrors the ports where not. It does its work only in the
        // host's idle calls.
        manifest << "\n<" << ui->uri << ">\n    a ui:X11UI ;\n    ui:binary " << RelativeIri(ui->binary) << " ;\n"
                 << "    lv2:requiredFeature ui:parent , ui:idleInterface ;\n"
                 << "    lv2:optionalFeature ui:resize , <http://lv2plug.in/ns/ext/instance-access> ;\n"
                 << "    lv2:extensionData ui:idleInterface .\n";
    for (const SPreset& preset : presets)
        manifest << "\n"
                 << PresetIri(product, preset.name) << "\n    a pset:Preset ;\n    lv2:appliesTo " << self
                 << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
    out.manifest = manifest.str();

    std::ostringstream plugin;
    plugin << kPrefixes;
    plugin << mainIn << "\n    a pg:StereoGroup , pg:InputGroup ;\n    lv2:symbol \"main_in\" ;\n"
           << "    lv2:name \"Main In\" .\n\n";
    plugin << mainOut << "\n    a pg:StereoGroup , pg:OutputGroup ;\n    lv2:symbol \"main_out\" ;\n"
           << "    lv2:name \"Main Out\" ;\n    pg:source " << mainIn << " .\n\n";
    plugin << sideIn << "\n    a pg:StereoGroup , pg:InputGroup ;\n    lv2:symbol \"side_in\" ;\n"
           << "    lv2:name \"Side-Chain In\" ;\n    pg:sideChainOf " << mainIn << " .\n\n";
    for (int32_t g = 0; g < plugIn.GetNumGroups(); ++g) {
        char name[zt::ztpi::kTextSize] = {};
        plugIn.GetGroupName(g, name);
        plugin << GroupIri(product, name) << "\n    a pg:Group ;\n    lv2:symbol \"group_" << SymbolOf(name)
               << "\" ;\n    lv2:name " << Quoted(name) << " .\n\n";
    }

    plugin << self << "\n    a lv2:Plugin , lv2:EQPlugin , doap:Project ;\n"
           << "    doap:name " << Quoted(product.name) << " ;\n"
           << "    doap:license <" << product.license << "> ;\n"
           << "    doap:maintainer [\n        foaf:name " << Quoted(product.vendor) << " ;\n"
           << "        foaf:homepage <" << product.vendorUri << ">\n    ] ;\n"
           << "    doap:release [ doap:revision " << Quoted(product.version) << " ] ;\n"
           << "    lv2:minorVersion " << product.minorVersion << " ;\n"
           << "    lv2:microVersion " << product.microVersion << " ;\n"
           << "    lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options , work:schedule ;\n"
           << "    opts:supportedOption bufsz:maxBlockLength ;\n"
           << "    lv2:extensionData state:interface , work:interface ;\n"
           << "    pg:mainInput " << mainIn << " ;\n"
           << "    pg:mainOutput " << mainOut << " ;\n"
           << "    lv2:port\n";
    AudioPort(plugin, kInputLeft, true, "in_l", "In L", mainIn, "pg:left", false);
    plugin << " , ";
    AudioPort(plugin, kInputRight, true, "in_r", "In R", mainIn, "pg:right", false);
    plugin << " , ";
    AudioPort(plugin, kOutputLeft, false, "out_l", "Out L", mainOut, "pg:left", false);
    plugin << " , ";
    AudioPort(plugin, kOutputRight, false, "out_r", "Out R", mainOut, "pg:right", false);
    plugin << " , ";
    AudioPort(plugin, kSideLeft, true, "side_l", "Side-Chain L", sideIn, "pg:left", true);
    plugin << " , ";
    AudioPort(plugin, kSideRight, true, "side_r", "Side-Chain R", sideIn, "pg:right", true);
    plugin << " , \n    [\n        a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " << kLatency << " ;\n"
           << "        lv2:symbol \"latency\" ;\n        lv2:name \"Latency\" ;\n"
           << "        lv2:designation lv2:latency ;\n"
           << "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
           << "        units:unit units:frame ;\n        lv2:minimum 0 \n    ]";
    for (int32_t i = 0; i < plugIn.GetNumParameters(); ++i) {
        plugin << " , \n";
        ControlPortText(plugin, product, plugIn, i, symbols[static_cast<size_t>(i)]);
    }
    plugin << " .\n";
    out.plugin = plugin.str();

    std::ostringstream text;
    text << kPrefixes;
    for (const SPreset& preset : presets) {
        text << PresetIri(product, preset.name) << "\n    a pset:Preset ;\n    lv2:appliesTo " << self << " ;\n"
             << "    rdfs:label " << Quoted(preset.name);
        for (const auto& [index, value] : preset.values) {
            if (index < 0 || static_cast<size_t>(index) >= symbols.size()) {
                error = "preset \"" + preset.name + "\" sets parameter " + std::to_string(index) + ", which is no port";
                return false;
            }
            text << " ;\n    lv2:port [ lv2:symbol \"" << symbols[static_cast<size_t>(index)] << "\" ; pset:value "
                 << Number(value) << " ]";
        }
        text << " .\n\n";
    }
    out.presets = text.str();
    return true;
}

}  // namespace zt::lv2
