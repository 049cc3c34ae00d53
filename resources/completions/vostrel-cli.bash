# bash completion for vostrel-cli                              -*- shell-script -*-
_vostrel_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="scan repair backups restore prefixes"
    local command="" word
    for word in "${words[@]:1:cword-1}"; do
        case $word in
        scan | repair | backups | restore | prefixes) command=$word; break ;;
        esac
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
        return
        ;;
    esac

    local options
    case $command in
    "") options="--help --version" ;;
    scan) options="--help --prefix --sections --list-sections --report --wine --json --quiet --all" ;;
    repair) options="--help --prefix --sections --list-sections --backup-dir --wine --json --yes" ;;
    backups) options="--help --backup-dir --json" ;;
    restore) options="--help --prefix --backup-dir --keep --force" ;;
    prefixes) options="--help --json" ;;
    esac

    if [[ -z $command && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
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
