# bash completion for vostrel-cli                              -*- shell-script -*-
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
    --sections | --only | --skip | --key | --value | --shortcut)
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
    backups) options="--help --backup-dir --json" ;;
    restore) options="--help --prefix --backup-dir --keep --force" ;;
    prefixes) options="--help --json" ;;
    esac

    if [[ -z $command && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $command == ignore && -z $action && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "add list remove" -- "$cur"))
    elif [[ $command == restore && $cur != -* ]]; then
        _filedir  # a backup's name or path
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
