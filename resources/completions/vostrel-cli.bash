# bash completion for vostrel-cli                              -*- shell-script -*-

# The value of option $1 among the words before the cursor, unquoted; the
# program is asked with the same --prefix and --backup-dir as the command.
_vostrel_cli_option_value() {
    local i
    for ((i = 1; i < cword - 1; i++)); do
        if [[ ${words[i]} == "$1" ]]; then
            dequote "${words[i + 1]}"
            return
        fi
    done
}

# COMPREPLY: the lines of $1 that begin with the word being completed (in
# any letter case, after the last ";" when $2 is ";"), quoted for the shell.
_vostrel_cli_lines() {
    local typed head="" line match
    typed=$(dequote "$cur") || typed=$cur
    if [[ $2 == ";" && $typed == *";"* ]]; then
        head=${typed%;*}";"
        typed=${typed##*;}
        typed=${typed#"${typed%%[! ]*}"} # the blanks after ";" are not part of a name
    fi
    COMPREPLY=()
    while IFS= read -r line; do
        [[ -n $line && ${line,,} == "${typed,,}"* ]] || continue
        printf -v match %q "$head$line"
        COMPREPLY+=("$match")
    done <<<"$1"
}

# The catalogue rows --sections takes, as the program lists them for the
# prefix of the command line (its drives have rows of their own).
_vostrel_cli_sections() {
    local program=$1 args=(scan --list-sections) prefix
    prefix=$(_vostrel_cli_option_value --prefix)
    [[ -n $prefix ]] && args+=(--prefix "$prefix")
    _vostrel_cli_lines "$("$program" "${args[@]}" 2>/dev/null)" ";"
}

# The names of the prefix's backups, as "restore" takes them.
_vostrel_cli_backups() {
    local program=$1 args=(backups --names) option value
    for option in --prefix --backup-dir; do
        value=$(_vostrel_cli_option_value $option)
        [[ -n $value ]] && args+=("$option" "$value")
    done
    _vostrel_cli_lines "$("$program" "${args[@]}" 2>/dev/null)"
}

_vostrel_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="scan repair ignore backups restore prefixes"
    local command="" action="" word
    for word in "${words[@]:1:cword-1}"; do
        if [[ -z $command ]]; then
            case $word in
            scan | repair | ignore | backups | restore | prefixes) command=$word ;;
            esac
        elif [[ $command == ignore && -z $action ]]; then
            case $word in
            add | list | remove) action=$word ;;
            esac
        fi
    done

    case $prev in
    --prefix | --backup-dir | --wine)
        _filedir -d
        return
        ;;
    --report)
        _filedir
        return
        ;;
    --sections)
        _vostrel_cli_sections "$1"
        return
        ;;
    --only | --skip | --key | --value | --shortcut)
        return
        ;;
    esac

    local options
    case $command in
    "") options="--help --version" ;;
    scan) options="--help --prefix --sections --list-sections --report --wine --json --quiet --exit-code --all" ;;
    repair) options="--help --prefix --sections --list-sections --backup-dir --wine --json --yes --only --skip --dry-run --close-wine" ;;
    ignore)
        case $action in
        "") options="--help" ;;
        add) options="--help --key --value --shortcut --everywhere --prefix --sections --wine" ;;
        list) options="--help --json" ;;
        remove) options="--help" ;;
        esac
        ;;
    backups) options="--help --prefix --backup-dir --json --names --show" ;;
    restore) options="--help --prefix --backup-dir --keep --force" ;;
    prefixes) options="--help --json" ;;
    esac

    if [[ -z $command && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $command == ignore && -z $action && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "add list remove" -- "$cur"))
    elif [[ ($command == restore && $cur != -*) || ($command == backups && $prev == --show) ]]; then
        # A backup's name, or the path of a backup file.
        [[ $cur != */* ]] && _vostrel_cli_backups "$1"
        [[ ${#COMPREPLY[@]} -eq 0 ]] && _filedir
    else
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
} &&
    complete -F _vostrel_cli vostrel-cli

# The desktop program.
_vostrel() {
    local cur prev words cword
    _init_completion || return
    if [[ $prev == --prefix ]]; then
        _filedir -d
        return
    fi
    COMPREPLY=($(compgen -W "--prefix --help --version" -- "$cur"))
} &&
    complete -F _vostrel vostrel
