// A mixer control device for the tests: playback volumes and switches kept in a state file, so
// every open and the test itself see the same values, with every write appended to a log file.
//
// Configuration fields: state (path of the state file), log (path of the log file), lines (the
// lines it has, out of "Master", "PCM" and "Mic", separated by spaces). Both files hold one line
// per control: "<control name>=<value> <value>...".
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct sLineKind
{
    const char* line;
    long low;
    long high;
    unsigned int channels;
};

// The volume ranges differ, so that the scaling onto 0..65535 is seen; the microphone's range
// does not start at 0.
constexpr sLineKind g_lines[] = {
    {"Master", 0, 255, 2},
    {"PCM", 0, 100, 2},
    {"Mic", 10, 40, 1},
};

struct sControl
{
    std::string name;
    bool isSwitch = false;
    long low = 0;
    long high = 1;
    std::vector<long> values;
    // The values the client saw last, to tell it about changes made by others.
    std::vector<long> seen;
};

struct sPlugin
{
    snd_ctl_ext_t ext{};
    std::string statePath;
    std::string logPath;
    std::vector<sControl> controls;

    // Takes in the values in the state file; controls it does not name keep theirs.
    void load()
    {
        std::ifstream in(statePath);
        std::string text;
        while (std::getline(in, text))
        {
            const size_t equals = text.find('=');
            if (equals == std::string::npos)
                continue;
            for (sControl& control : controls)
            {
                if (control.name != text.substr(0, equals))
                    continue;
                std::istringstream numbers(text.substr(equals + 1));
                for (long& value : control.values)
                {
                    long read = 0;
                    if (numbers >> read)
                        value = std::clamp(read, control.low, control.high);
                }
            }
        }
    }

    static std::string describe(const sControl& control)
    {
        std::string text = control.name + "=";
        for (size_t channel = 0; channel < control.values.size(); ++channel)
            text += (channel > 0 ? " " : "") + std::to_string(control.values[channel]);
        return text + "\n";
    }

    void save() const
    {
        std::ofstream out(statePath, std::ios::trunc);
        for (const sControl& control : controls)
            out << describe(control);
    }

    void logWrite(const sControl& control) const
    {
        std::ofstream out(logPath, std::ios::app);
        out << describe(control);
    }
};

sPlugin* pluginOf(snd_ctl_ext_t* ext)
{
    return static_cast<sPlugin*>(ext->private_data);
}

sControl* controlOf(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key)
{
    sPlugin* plugin = pluginOf(ext);
    return key < plugin->controls.size() ? &plugin->controls[key] : nullptr;
}

void closePlugin(snd_ctl_ext_t* ext)
{
    delete pluginOf(ext);
}

int elementCount(snd_ctl_ext_t* ext)
{
    return static_cast<int>(pluginOf(ext)->controls.size());
}

int elementList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id)
{
    const sControl* control = controlOf(ext, offset);
    if (control == nullptr)
        return -EINVAL;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, control->name.c_str());
    return 0;
}

snd_ctl_ext_key_t findElement(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id)
{
    const std::vector<sControl>& controls = pluginOf(ext)->controls;
    for (size_t index = 0; index < controls.size(); ++index)
    {
        if (controls[index].name == snd_ctl_elem_id_get_name(id))
            return index;
    }
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

int getAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* access,
                 unsigned int* count)
{
    const sControl* control = controlOf(ext, key);
    if (control == nullptr)
        return -EINVAL;
    *type = control->isSwitch ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *access = SND_CTL_EXT_ACCESS_READWRITE;
    *count = static_cast<unsigned int>(control->values.size());
    return 0;
}

int getIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* low, long* high, long* step)
{
    const sControl* control = controlOf(ext, key);
    if (control == nullptr)
        return -EINVAL;
    *low = control->low;
    *high = control->high;
    *step = 0;
    return 0;
}

int readInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* values)
{
    sControl* control = controlOf(ext, key);
    if (control == nullptr)
        return -EINVAL;
    pluginOf(ext)->load();
    std::copy(control->values.begin(), control->values.end(), values);
    control->seen = control->values;
    return 0;
}

int writeInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* values)
{
    sControl* control = controlOf(ext, key);
    if (control == nullptr)
        return -EINVAL;
    sPlugin* plugin = pluginOf(ext);
    plugin->load();
    const std::vector<long> before = control->values;
    for (size_t channel = 0; channel < control->values.size(); ++channel)
        control->values[channel] = std::clamp(values[channel], control->low, control->high);
    control->seen = control->values;
    plugin->save();
    plugin->logWrite(*control);
    return control->values != before ? 1 : 0;
}

void subscribeEvents(snd_ctl_ext_t*, int) {}

// A change another process made to the state file is told as a value event of its control.
int readEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* mask)
{
    sPlugin* plugin = pluginOf(ext);
    plugin->load();
    for (sControl& control : plugin->controls)
    {
        if (control.values == control.seen)
            continue;
        control.seen = control.values;
        snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
        snd_ctl_elem_id_set_name(id, control.name.c_str());
        *mask = SND_CTL_EVENT_MASK_VALUE;
        return 1;
    }
    return -EAGAIN;
}

// The callbacks the device needs; the others stay null.
snd_ctl_ext_callback_t makeCallbacks()
{
    snd_ctl_ext_callback_t callbacks{};
    callbacks.close = closePlugin;
    callbacks.elem_count = elementCount;
    callbacks.elem_list = elementList;
    callbacks.find_elem = findElement;
    callbacks.get_attribute = getAttribute;
    callbacks.get_integer_info = getIntegerInfo;
    callbacks.read_integer = readInteger;
    callbacks.write_integer = writeInteger;
    callbacks.subscribe_events = subscribeEvents;
    // Called whatever the events subscribed: libasound has no fallback for it.
    callbacks.read_event = readEvent;
    return callbacks;
}

const snd_ctl_ext_callback_t g_callbacks = makeCallbacks();

void addLine(sPlugin& plugin, const sLineKind& kind)
{
    sControl volume;
    volume.name = std::string(kind.line) + " Playback Volume";
    volume.low = kind.low;
    volume.high = kind.high;
    volume.values.assign(kind.channels, kind.high);
    plugin.controls.push_back(volume);

    sControl onOff;
    onOff.name = std::string(kind.line) + " Playback Switch";
    onOff.isSwitch = true;
    onOff.low = 0;
    onOff.high = 1;
    onOff.values.assign(kind.channels, 1);
    plugin.controls.push_back(onOff);
}

// Reads the configuration fields and creates the device.
int openPlugin(snd_ctl_t** handlep, const char* name, snd_config_t* conf, int mode)
{
    // Owned here until the device is created; then its close callback deletes it.
    auto plugin = std::make_unique<sPlugin>();
    std::string lines;
    snd_config_iterator_t entry;
    snd_config_iterator_t next;
    snd_config_for_each(entry, next, conf)
    {
        snd_config_t* field = snd_config_iterator_entry(entry);
        const char* key = nullptr;
        if (snd_config_get_id(field, &key) < 0)
            continue;
        const std::string fieldName = key;
        if (fieldName == "comment" || fieldName == "type" || fieldName == "hint")
            continue;
        const char* value = nullptr;
        if (snd_config_get_string(field, &value) < 0)
        {
            SNDERR("field %s is not a string", key);
            return -EINVAL;
        }
        if (fieldName == "state")
            plugin->statePath = value;
        else if (fieldName == "log")
            plugin->logPath = value;
        else if (fieldName == "lines")
            lines = value;
        else
        {
            SNDERR("unknown field %s", key);
            return -EINVAL;
        }
    }
    std::istringstream words(lines);
    std::string line;
    while (words >> line)
    {
        for (const sLineKind& kind : g_lines)
        {
            if (line == kind.line)
                addLine(*plugin, kind);
        }
    }
    if (plugin->statePath.empty() || plugin->logPath.empty())
    {
        SNDERR("state and log must be given");
        return -EINVAL;
    }
    plugin->load();

    snd_ctl_ext_t& ext = plugin->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = 0;
    snprintf(ext.id, sizeof(ext.id), "QeltTest");
    snprintf(ext.driver, sizeof(ext.driver), "qelt_test");
    snprintf(ext.name, sizeof(ext.name), "Test mixer");
    snprintf(ext.longname, sizeof(ext.longname), "Test mixer backed by a state file");
    snprintf(ext.mixername, sizeof(ext.mixername), "Test mixer");
    ext.poll_fd = -1;
    ext.callback = &g_callbacks;
    ext.private_data = plugin.get();
    const int error = snd_ctl_ext_create(&ext, name, mode);
    if (error < 0)
        return error;
    plugin.release();
    *handlep = ext.handle;
    return 0;
}

} // namespace

// The entry libasound looks up, with its versioned companion symbol.
extern "C" SND_CTL_PLUGIN_DEFINE_FUNC(qelt_test)
{
    return openPlugin(handlep, name, conf, mode);
}

extern "C"
{
    SND_CTL_PLUGIN_SYMBOL(qelt_test)
}
