# Makes the ES-module variant of the extension (GNOME Shell 45 and later) from the source
# written in the older module format: the lines between "// imports-begin" and
# "// imports-end" become the variant's imports, and what follows "// entry" its exported
# class.   cmake -DSOURCE=extension.js -DOUTPUT=esm/extension.js -P esm.cmake
file(READ ${SOURCE} text)
string(FIND "${text}" "// imports-begin\n" begin)
string(FIND "${text}" "// imports-end\n" end)
string(FIND "${text}" "// entry\n" entry)
if(begin EQUAL -1 OR end EQUAL -1 OR entry EQUAL -1 OR NOT begin LESS end OR NOT end LESS entry)
    message(FATAL_ERROR "${SOURCE}: the imports and entry markers are missing or out of order")
endif()
string(SUBSTRING "${text}" 0 ${begin} head)
math(EXPR body_start "${end} + 15")
math(EXPR body_length "${entry} - ${body_start}")
string(SUBSTRING "${text}" ${body_start} ${body_length} body)
set(imports [=[// imports-begin (made from the older format's imports by esm.cmake)
import GLib from 'gi://GLib';
import Gio from 'gi://Gio';
import Meta from 'gi://Meta';
import Clutter from 'gi://Clutter';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as Background from 'resource:///org/gnome/shell/ui/background.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
// imports-end
]=])
set(exported [=[// entry
export default class OmbrixLiveExtension extends Extension {
    enable() {
        this._live = new OmbrixLive(this.path);
        this._live.enable();
    }

    disable() {
        this._live?.disable();
        this._live = null;
    }
}
]=])
file(WRITE ${OUTPUT}.part "${head}${imports}${body}${exported}")
file(RENAME ${OUTPUT}.part ${OUTPUT})
