// The man page and the bash completion of tripconf-cli, made from the
// command table (`tripconf-cli --help-man`, `tripconf-cli --bash-completion`;
// the build writes both, so they cannot drift from the parser).
#include "Help.h"

#include "catalogs/Catalogs.h"
#include "common/Version.h"
#include "editor/FieldTable.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

namespace tc::cli {
namespace {

// Text for roff: backslashes and dashes escaped, no line begins with a control character.
std::string Roff(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

// The completion function's word for what is completed.
std::string CompleteKind(Complete c)
{
    static constexpr const char* kWords[] = {"none", "settings", "tank", "service", "json", "png", "file",
                                             "port", "model", "key", "keyvalue", "words"};
    const std::string word = NameOf(c, kWords);
    return word.empty() ? "none" : word;
}

// 'words "a b c"' or 'settings'.
std::string CompleteCall(Complete c, const std::string& words)
{
    return c == Complete::Words ? "words '" + words + "'" : CompleteKind(c);
}

} // namespace

std::string ManualPage()
{
    std::ostringstream out;
    out << ".TH TRIPCONF-CLI 1 \"\" \"tripconf " << ProjectVersion() << "\" \"User Commands\"\n"
        << ".SH NAME\ntripconf\\-cli \\- read, check, edit and write the settings of a car trip computer\n"
        << ".SH SYNOPSIS\n.B tripconf\\-cli\n[\\fB\\-\\-english\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]\n.br\n"
        << ".B tripconf\\-cli\n\\fICOMMAND\\fR \\fB\\-\\-help\\fR | \\fBhelp\\fR \\fICOMMAND\\fR | \\fB\\-\\-version\\fR\n"
        << ".SH DESCRIPTION\n" << Roff(Summary()) << "\nTexts are Russian by default, as in the window; \\fB\\-\\-english\\fR, anywhere on the line, switches them.\n"
        << ".SH COMMANDS\n";
    for (const Command* c : SortedCommands()) {
        out << ".TP\n.B " << Roff(FullUsage(*c)) << "\n" << Roff(c->summary) << "\n";
        for (const auto& o : c->options)
            out << ".RS\n.TP\n.B " << Roff(o.value.empty() ? o.name : o.name + " " + o.value) << "\n" << Roff(o.help) << "\n.RE\n";
    }
    out << ".SH OPTIONS\n.TP\n.B \\-\\-english\nEnglish texts (Russian by default).\n"
        << ".TP\n.B \\-\\-json\nOn info, fields, get, diff, restore\\-points, models, protocols, systems and journals: one JSON document "
           "on standard output with the facts of the table (the keys are listed in the README).\n"
        << ".TP\n.B \\-h, \\-\\-help\nPrint the help (of a command, after it) and exit.\n"
        << ".TP\n.B \\-\\-version\nPrint the version and the git commit of the build, and exit.\n"
        << ".SH EXIT STATUS\n.TP\n.B 0\nSuccess (diff: the files are equal).\n"
        << ".TP\n.B 1\nFailure, said in one line on standard error (diff: the files differ).\n"
        << ".TP\n.B 2\nBad usage: an unknown command or option, a missing or extra argument, a bad number; nothing is written.\n"
        << ".SH FILES\n.TP\n.I *.qvetp, *.qvetg\nSettings files.\n.TP\n.I *.qveto\nTank files (tank\\-save, tank\\-load).\n"
        << ".TP\n.I *.qvett\nMaintenance files (service\\-save, service\\-load).\n"
        << ".TP\n.I $XDG_DATA_HOME/tripconf/restore\\-points/\nThe restore points: the settings each write found on the unit "
           "(the newest 50 of each model). Write one back with \\fBtripconf\\-cli write \\-\\-port\\fR \\fIDEV FILE\\fR.\n"
        << ".SH ENVIRONMENT\n.TP\n.B XDG_DATA_HOME\nWhere the restore points are kept (default \\fI~/.local/share\\fR).\n"
        << ".SH SEE ALSO\n.BR tripconf (1),\n.BR tripsim (1)\n";
    return out.str();
}

std::string BashCompletion()
{
    std::ostringstream out;
    out << "# bash completion for tripconf-cli, made by `tripconf-cli --bash-completion` from its command table.\n"
           "# zsh: autoload -U +X bashcompinit && bashcompinit, then source this file.\n\n";
    // The settings editor's keys and the listed model codes.
    out << "_tripconf_cli_keys='";
    bool first = true;
    for (const Field& f : EditorFields()) {
        out << (first ? "" : " ") << f.key;
        first = false;
    }
    out << "'\n_tripconf_cli_models='";
    first = true;
    for (const auto& m : ListedModels()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", m.code);
        out << (first ? "" : " ") << hex;
        first = false;
    }
    out << "'\n\n";
    out << R"(# _tripconf_cli_values KIND [WORDS]: what a value or argument of KIND can be.
_tripconf_cli_values()
{
    local ext p ports=()
    case $1 in
    settings) ext='qvetp qvetg' ;;
    tank) ext=qveto ;;
    service) ext=qvett ;;
    json) ext=json ;;
    png) ext=png ;;
    file) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- "$cur")); return ;;
    port)
        for p in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*; do [ -e "$p" ] && ports+=("$p"); done
        COMPREPLY=($(compgen -W "${ports[*]} COM1 COM2 COM3 COM4" -- "$cur")); return ;;
    model) COMPREPLY=($(compgen -W "$_tripconf_cli_models" -- "$cur")); return ;;
    key) COMPREPLY=($(compgen -W "$_tripconf_cli_keys" -- "$cur")); return ;;
    keyvalue)
        if [[ $cur != *=* ]]; then
            COMPREPLY=($(compgen -S = -W "$_tripconf_cli_keys" -- "$cur"))
            compopt -o nospace 2>/dev/null
        fi
        return ;;
    words) COMPREPLY=($(compgen -W "$2" -- "$cur")); return ;;
    *) return ;;
    esac
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$cur"))
    for p in $ext; do COMPREPLY+=($(compgen -f -X "!*.$p" -- "$cur")); done
}

_tripconf_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local i cmd= at=0 n=0 opts= valued=
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in -*) ;; *) cmd=${COMP_WORDS[i]}; at=$i; break ;; esac
    done
    if [ -z "$cmd" ]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--english --help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "help )";
    for (const Command* c : SortedCommands())
        out << c->name << " ";
    out << R"(" -- "$cur"))
        fi
        return
    fi
    case $cmd in
)";
    // Per command: its options, the ones that take a value, what each value and argument is.
    std::string names;
    for (const Command* c : SortedCommands())
        names += (names.empty() ? "" : " ") + c->name;
    out << "    help) [ $COMP_CWORD = $((at + 1)) ] && COMPREPLY=($(compgen -W '" << names << "' -- \"$cur\")); return ;;\n";
    for (const Command* c : SortedCommands()) {
        std::string opts = "--english --help", valued;
        for (const auto& o : c->options) {
            opts += " " + o.name;
            if (!o.value.empty())
                valued += " " + o.name;
        }
        out << "    " << c->name << ")\n        opts='" << opts << "' valued='" << valued << "'\n        case $prev in\n";
        for (const auto& o : c->options)
            if (!o.value.empty())
                out << "        " << o.name << ") _tripconf_cli_values " << CompleteCall(o.complete, o.words) << "; return ;;\n";
        out << "        esac ;;\n";
    }
    out << R"(    *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
        return
    fi
    # Which argument the cursor is on: the words after the command that are no option nor an option's value.
    for ((i = at + 1; i < COMP_CWORD; i++)); do
        case " $valued " in *" ${COMP_WORDS[i]} "*) ((i++)); continue ;; esac
        [[ ${COMP_WORDS[i]} == -* ]] || ((n++))
    done
    case $cmd in
)";
    for (const Command* c : SortedCommands()) {
        if (c->arguments.empty())
            continue;
        out << "    " << c->name << ")\n        case $n in\n";
        for (std::size_t i = 0; i < c->arguments.size(); ++i) {
            const auto& a = c->arguments[i];
            const bool last = i + 1 == c->arguments.size();
            out << "        " << (last && a.repeats ? "*" : std::to_string(i)) << ") _tripconf_cli_values " << CompleteCall(a.complete, a.words)
                << " ;;\n";
        }
        out << "        esac ;;\n";
    }
    out << R"(    esac
}
complete -F _tripconf_cli tripconf-cli
)";
    return out.str();
}

} // namespace tc::cli
