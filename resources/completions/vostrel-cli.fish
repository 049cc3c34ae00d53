# fish completion for vostrel-cli and the desktop program vostrel.
set -l commands scan repair ignore backups restore prefixes

# Runs the program as typed with the arguments given, and with the --prefix
# of the command line (and its --backup-dir, for "backups") when it has one.
function __vostrel_cli_ask
    set -l tokens (commandline -opc)
    set -l options --prefix
    test "$argv[1]" = backups; and set -a options --backup-dir
    for option in $options
        set -l at (contains -i -- $option $tokens)
        and test (count $tokens) -gt $at
        and set -a argv $option $tokens[(math $at + 1)]
    end
    $tokens[1] $argv 2>/dev/null
end

# The catalogue rows --sections takes, separated by ";": each after the rows
# already typed.
function __vostrel_cli_sections
    set -l typed (commandline -ct | string unescape)
    set -l head (string replace -r -- '[^;]*$' '' $typed)
    for row in (__vostrel_cli_ask scan --list-sections)
        echo $head$row
    end
end

complete -c vostrel-cli -f
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a scan -d 'Scan a Wine prefix for entries that point at missing files'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a repair -d 'Scan, then repair the problems found after backing them up'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a ignore -d 'The ignore list: entries a scan leaves alone'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a backups -d 'List the backup files'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Put the values and shortcuts of one backup file back'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a prefixes -d 'List every Wine prefix found for the user'

complete -c vostrel-cli -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair backups restore" -l prefix -x -a '(__fish_complete_directories)' -d 'The Wine prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l sections -x -a '(__vostrel_cli_sections)' -d 'Catalogue rows to scan, separated by ;'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l list-sections -d 'Print the catalogue rows and stop'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l report -r -F -d 'Also write the scan report to this file'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l quiet -d 'No progress display'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l exit-code -d 'Exit with 1 when problems were found'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l all -d 'Scan every Wine prefix found'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair backups prefixes" -l json -d 'Print JSON'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l yes -d 'Repair without asking'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l only -x -d 'Repair only the problems of these ids'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l skip -x -d 'Repair all but the problems of these ids'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l dry-run -d 'Print what would be repaired; change nothing'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l close-wine -d 'Close the programs running in the prefix first'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and not __fish_seen_subcommand_from add list remove" -a add -d 'Add a problem by its id, a registry key or a shortcut'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and not __fish_seen_subcommand_from add list remove" -a list -d 'Print the entries, numbered'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and not __fish_seen_subcommand_from add list remove" -a remove -d 'Remove entry N'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l key -x -d 'A registry key, its root first'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l value -x -d 'Only this value of --key'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l shortcut -x -d 'The Windows path of a shortcut'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l everywhere -d 'For every machine'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l prefix -x -a '(__fish_complete_directories)' -d 'The Wine prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l sections -x -a '(__vostrel_cli_sections)' -d 'Catalogue rows the scan for an id covers'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from add" -l wine -x -a '(__fish_complete_directories)' -d 'The Wine that runs the prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from ignore; and __fish_seen_subcommand_from list" -l json -d 'Print JSON'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair backups restore" -l backup-dir -x -a '(__fish_complete_directories)' -d 'The backup folder'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -l keep -d 'Keep the backup file after a complete restore'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -l force -d 'Restore into another prefix, and records outside its own drives'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l wine -x -a '(__fish_complete_directories)' -d 'The Wine that runs the prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from backups" -l names -d 'Print only the names, one a line'
complete -c vostrel-cli -n "__fish_seen_subcommand_from backups" -l show -x -a '(__vostrel_cli_ask backups --names)' -d 'Print what one backup holds'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -F -a '(__vostrel_cli_ask backups --names)' -d 'Backup name or path'

complete -c vostrel -f
complete -c vostrel -s h -l help -d 'Show the help'
complete -c vostrel -l version -d 'Show the version'
complete -c vostrel -l prefix -x -a '(__fish_complete_directories)' -d 'The Wine prefix'
