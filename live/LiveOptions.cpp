#include "LiveOptions.h"

#include "Settings.h"

namespace ombrix {

TLiveOptions ParseLiveOptions(const std::vector<std::string>& args) {
    const TCommandLine line(TProgram::Live, args);
    TLiveOptions o;
    static_cast<TStartOptions&>(o) = StartOptionsFrom(line);
    if (const auto v = line.Value("interval"))
        o.Interval = NumberOption("--interval", *v, MinSpeed, MaxSpeed);
    if (const auto v = line.Value("window-id")) {
        if (v->empty())
            FailOption("--window-id", "needs a window number, 0x... or decimal");
        o.WindowId = *v;
    }
    o.Root = line.Has("root");
    o.Plasma = line.Has("plasma");
    o.PlasmaFolder = line.Has("plasma-folder");
    o.GnomeShell = line.Has("gnome-shell");
    if (const auto v = line.Value("still-every"))
        o.StillEvery = NumberOption("--still-every", *v, 1, MaxStillEvery);
    if (const auto v = line.Value("on-battery")) {
        if (*v == "run")
            o.OnBattery = TOnBattery::Run;
        else if (*v != "pause")
            FailOption("--on-battery", "expected \"pause\" or \"run\", not " + Quoted(*v));
    }
    if (const auto v = line.Value("when-settled")) {
        if (*v == "stop")
            o.WhenSettled = TWhenSettled::Stop;
        else if (*v != "afresh")
            FailOption("--when-settled", "expected \"afresh\" or \"stop\", not " + Quoted(*v));
    }
    int calls = 0;
    for (const auto& [name, call] :
         {std::pair{"pause", TLiveCall::Pause}, std::pair{"resume", TLiveCall::Resume},
          std::pair{"quit", TLiveCall::Quit}})
        if (line.Has(name)) {
            o.Call = call;
            ++calls;
        }
    o.Help = line.Has("help");
    o.Version = line.Has("version");
    if (!line.Positional().empty())
        FailOption(line.Positional().front(), "unexpected argument");
    if (o.Help || o.Version)
        return o;
    if (calls > 1)
        FailOption("--pause", "--pause, --resume and --quit go one at a time");
    if (o.WindowId && o.Root)
        FailOption("--root", "draws on the root window; --window-id names another: give one");
    if (o.Plasma && (o.WindowId || o.Root || o.StillEvery || o.GnomeShell))
        FailOption("--plasma", "draws for the Plasma wallpaper alone: give no other place");
    if (o.GnomeShell && (o.WindowId || o.Root))
        FailOption("--gnome-shell",
                   "draws into a window of its own: not with --root or --window-id");
    CheckStartOptions(o);
    return o;
}

std::string LiveUsage() {
    return "Usage: ombrix-live [options]\n"
           "Shows the Ombrix automaton alive as the desktop background, in a screensaver's\n"
           "window, or on the root window; or sends a call to the one that runs.\n"
           "\n" +
           OptionHelp(TProgram::Live) +
           "\n"
           "Exit status: 0 done, 1 failed at run time (or no live wallpaper answered a call),\n"
           "2 wrong command line.\n";
}

} // namespace ombrix
