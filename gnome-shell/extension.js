// Ombrix's automaton alive as the background of every monitor. The shell has no layer
// shell, so `ombrix-live --gnome-shell` draws the wall into one window of its own; this
// extension starts it as a client it can recognise, keeps that window out of every list
// and out of reach of the pointer and keyboard, and shows clones of it inside each
// background actor (the desktop's, the overview's workspaces', the unlock screen's), so
// each monitor shows the wall from its own top-left corner. Everything about the
// automaton stays in ombrix-live; this file only starts, shows, pauses and ends it.
//
// Written in the shell's older module format (Shell 43 and 44); the build makes the
// ES-module variant for Shell 45 and later from this same file (see esm.cmake): only the
// lines between the "imports" markers and the ones after "entry" differ.

// imports-begin
const {GLib, Gio, Meta, Clutter} = imports.gi;
const Main = imports.ui.main;
const Background = imports.ui.background;
const ExtensionPath = imports.misc.extensionUtils.getCurrentExtension().path;
// imports-end

const BusName = 'io.github.ombrix.Ombrix.Live';
const BusPath = '/io/github/ombrix/Ombrix/Live';
/// Restarts after ombrix-live ended on its own, before the desktop's background comes back.
const MostRestarts = 3;
/// A start that lived this long resets the count of restarts.
const SteadyAfterSeconds = 60;

function log_(message) {
    log(`Ombrix live wallpaper: ${message}`);
}

// The program next to this extension's install tree first (PREFIX/share/gnome-shell/
// extensions/UUID → PREFIX/bin), then the one on the path.
function findProgram(extensionPath) {
    const installed = GLib.build_filenamev([extensionPath, '..', '..', '..', '..', 'bin',
        'ombrix-live']);
    if (GLib.file_test(installed, GLib.FileTest.IS_EXECUTABLE))
        return installed;
    return GLib.find_program_in_path('ombrix-live');
}

// Runs `work` and logs what it threw: nothing done here may break the shell.
function guarded(what, work) {
    try {
        return work();
    } catch (e) {
        log_(`${what}: ${e.message}`);
        return undefined;
    }
}

class OmbrixLive {
    constructor(extensionPath) {
        this._path = extensionPath;
    }

    enable() {
        this._restarts = 0;
        this._told = false;
        this._clones = new Set();
        this._signals = [];
        this._paused = false;
        const self = this;
        const proto = Background.BackgroundManager.prototype;
        this._originalCreate = proto._createBackgroundActor;
        const original = this._originalCreate;
        proto._createBackgroundActor = function (...args) {
            const actor = original.apply(this, args);
            guarded('showing the wall', () => self._addClone(actor, this._monitorIndex));
            return actor;
        };
        this._connect(global.display, 'window-created', (_d, win) => this._windowCreated(win));
        this._connect(global.display, 'in-fullscreen-changed', () => this._checkPause());
        this._connect(Main.layoutManager, 'monitors-changed', () => this._checkPause());
        if (Main.screenShield) {
            this._connect(Main.screenShield, 'locked-changed', () => this._checkPause());
            this._connect(Main.screenShield, 'active-changed', () => this._checkPause());
        }
        this._monitorManager = guarded('watching the screens\' power', () =>
            global.backend.get_monitor_manager());
        if (this._monitorManager)
            this._connect(this._monitorManager, 'power-save-mode-changed', () => this._checkPause());
        guarded('starting ombrix-live', () => this._start());
    }

    disable() {
        this._stopping = true;
        for (const [object, id] of this._signals)
            guarded('letting go of a signal', () => object.disconnect(id));
        this._signals = [];
        if (this._restartId)
            GLib.source_remove(this._restartId);
        this._restartId = 0;
        Background.BackgroundManager.prototype._createBackgroundActor = this._originalCreate;
        this._dropClones();
        if (this._process)
            guarded('ending ombrix-live', () => this._process.send_signal(15));
        this._process = null;
        this._client = null;
        this._window = null;
        this._stopping = false;
    }

    _connect(object, signal, handler) {
        const id = object.connect(signal, (...args) => guarded(signal, () => handler(...args)));
        this._signals.push([object, id]);
    }

    _start() {
        const program = findProgram(this._path);
        if (!program) {
            this._giveUp('ombrix-live is not installed (not found next to the extension nor ' +
                'on the path)');
            return;
        }
        const launcher = new Gio.SubprocessLauncher({flags: Gio.SubprocessFlags.STDERR_PIPE});
        // The window's live settings, as its Live choice writes them (missing: the window's
        // defaults).
        const settings = GLib.build_filenamev([GLib.get_user_config_dir(), 'ombrix',
            'live.ini']);
        const argv = [program, '--gnome-shell', '--settings', settings];
        let client, process;
        try {
            if (Meta.WaylandClient.new_subprocess) {
                // Newer shells start the client as they make it.
                client = Meta.WaylandClient.new_subprocess(global.context, launcher, argv);
                process = client.get_subprocess();
            } else {
                try {
                    client = Meta.WaylandClient.new(launcher);
                } catch (e) {
                    // Shell 44 and later pass the shell's context first.
                    client = Meta.WaylandClient.new(global.context, launcher);
                }
                process = client.spawnv(global.display, argv);
            }
        } catch (e) {
            this._giveUp(`ombrix-live could not be started: ${e.message}`);
            return;
        }
        this._client = client;
        this._process = process;
        this._startedAt = GLib.get_monotonic_time();
        this._lastLine = '';
        this._readErrors(process);
        process.wait_async(null, (p, result) => guarded('ombrix-live ended', () => {
            p.wait_finish(result);
            this._ended(p);
        }));
    }

    // Keeps ombrix-live's last line, to say why it ended; logs them all.
    _readErrors(process) {
        const stream = new Gio.DataInputStream({base_stream: process.get_stderr_pipe()});
        const readLine = () => stream.read_line_async(GLib.PRIORITY_DEFAULT, null, (s, result) =>
            guarded('reading ombrix-live', () => {
                const [line] = s.read_line_finish_utf8(result);
                if (line === null)
                    return;
                log_(line);
                this._lastLine = line;
                readLine();
            }));
        readLine();
    }

    _ended(process) {
        if (process !== this._process)
            return;
        this._process = null;
        this._client = null;
        this._window = null;
        this._paused = false;
        this._dropClones();
        // `ombrix-live --quit` (or its own clean end): the desktop's background stays.
        if (process.get_if_exited() && process.get_exit_status() === 0) {
            log_('ombrix-live ended; the desktop\'s own background is back');
            return;
        }
        // Its last line says why it failed; killed, it said nothing of it.
        const signaled = process.get_if_signaled();
        const why = signaled
            ? `ended by signal ${process.get_term_sig()}`
            : `ended with status ${process.get_exit_status()}`;
        if ((GLib.get_monotonic_time() - this._startedAt) / 1e6 > SteadyAfterSeconds)
            this._restarts = 0;
        if (this._restarts >= MostRestarts) {
            this._giveUp(`ombrix-live ${why} ${MostRestarts + 1} times` +
                (this._lastLine && !signaled ? `: ${this._lastLine}` : ''));
            return;
        }
        this._restarts += 1;
        log_(`ombrix-live ${why}; starting it again (${this._restarts} of ${MostRestarts})`);
        this._restartId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 1000 * this._restarts, () => {
            this._restartId = 0;
            guarded('starting ombrix-live again', () => this._start());
            return GLib.SOURCE_REMOVE;
        });
    }

    // The desktop's own background stays, and the user is told once why.
    _giveUp(why) {
        log_(why);
        this._dropClones();
        if (this._told)
            return;
        this._told = true;
        guarded('telling the user', () => Main.notify('The live wallpaper stopped',
            `${why}. The desktop's own background is shown instead.`));
    }

    _windowCreated(win) {
        if (!this._client || !this._client.owns_window(win))
            return;
        this._window = win;
        // Out of the window list, the overview, the dash and the switcher; minimized so it
        // is never drawn, focused or reached, while its clones keep being drawn. A window
        // minimized before it is first shown never gets a picture, and one hidden from the
        // list cannot be minimized: it is hidden, shown to the list for the moment it is
        // minimized, and hidden again, without the shell's effects.
        // Shells whose client has no hide_from_window_list only get the window minimized.
        const client = this._client;
        const listed = on => client.hide_from_window_list &&
            (on ? client.show_in_window_list(win) : client.hide_from_window_list(win));
        listed(false);
        const id = win.connect('shown', () => guarded('hiding the window', () => {
            win.disconnect(id);
            const actor = win.get_compositor_private();
            if (actor)
                Main.wm.skipNextEffect(actor);
            listed(true);
            win.minimize();
            listed(false);
        }));
        const shown = () => {
            if (this._window !== win)
                return GLib.SOURCE_REMOVE;
            const actor = win.get_compositor_private();
            if (!actor)
                return GLib.SOURCE_CONTINUE;
            Main.wm.skipNextEffect(actor);
            Main.layoutManager._updateBackgrounds();
            this._checkPause();
            return GLib.SOURCE_REMOVE;
        };
        if (shown() === GLib.SOURCE_CONTINUE)
            GLib.timeout_add(GLib.PRIORITY_DEFAULT, 50, shown);
    }

    // A clone of the window inside a background actor, cut to its size, at its top-left.
    _addClone(background, monitorIndex) {
        const source = this._window?.get_compositor_private();
        if (!source || !(background instanceof Meta.BackgroundActor))
            return;
        const frame = new Clutter.Actor({clip_to_allocation: true, reactive: false});
        frame.add_constraint(new Clutter.BindConstraint({
            source: background, coordinate: Clutter.BindCoordinate.SIZE,
        }));
        const clone = new Clutter.Clone({source, reactive: false});
        frame.add_child(clone);
        background.add_child(frame);
        const entry = {frame, clone, monitorIndex};
        this._clones.add(entry);
        // The overview draws backgrounds smaller: the wall follows, scaled as they are.
        frame.connect('notify::width', () => guarded('scaling the wall', () => this._scale(entry)));
        frame.connect('destroy', () => this._clones.delete(entry));
        this._scale(entry);
    }

    // The clone keeps its source's size: the window's first cell, the others drawn around
    // it as they are in the window.
    _scale(entry) {
        const monitor = Main.layoutManager.monitors[entry.monitorIndex];
        if (!monitor)
            return;
        const scale = entry.frame.width > 0 ? entry.frame.width / monitor.width : 1;
        entry.clone.set_scale(scale, scale);
    }

    _dropClones() {
        for (const entry of [...this._clones])
            guarded('removing the wall', () => entry.frame.destroy());
        this._clones.clear();
    }

    // Nothing of the desktop can be seen: fullscreen windows on every monitor, or the
    // screen locked and blank.
    _hidden() {
        const display = global.display;
        const monitors = display.get_n_monitors();
        let covered = monitors > 0;
        for (let i = 0; i < monitors; i++)
            covered &&= display.get_monitor_in_fullscreen(i);
        const locked = Main.screenShield?.locked ?? false;
        const blank = this._monitorManager
            ? this._monitorManager.power_save_mode !== 0 // on
            : false;
        return covered || (locked && blank);
    }

    _checkPause() {
        if (!this._process)
            return;
        const pause = this._hidden();
        if (pause === this._paused)
            return;
        this._paused = pause;
        Gio.DBus.session.call(BusName, BusPath, BusName, pause ? 'Pause' : 'Resume', null, null,
            Gio.DBusCallFlags.NO_AUTO_START, 5000, null, (bus, result) => {
                try {
                    bus.call_finish(result);
                } catch (e) {
                    // Asked again at the next change (it may not hold its bus name yet).
                    this._paused = undefined;
                    log_(`ombrix-live did not take ${pause ? 'Pause' : 'Resume'}: ${e.message}`);
                }
            });
    }
}

// entry
function init() {
    return new OmbrixLive(ExtensionPath);
}
