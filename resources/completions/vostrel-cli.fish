# fish completion for vostrel-cli and the desktop program vostrel.
set -l commands scan repair backups restore prefixes

complete -c vostrel-cli -f
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a scan -d 'Scan a Wine prefix for entries that point at missing files'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a repair -d 'Scan, then repair every problem found after backing it up'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a backups -d 'List the backup files'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Put the values and shortcuts of one backup file back'
complete -c vostrel-cli -n "not __fish_seen_subcommand_from $commands" -a prefixes -d 'List every Wine prefix found for the user'

complete -c vostrel-cli -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair restore" -l prefix -x -a '(__fish_complete_directories)' -d 'The Wine prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l sections -x -d 'Catalogue rows to scan, separated by ;'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l list-sections -d 'Print the catalogue rows and stop'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l report -r -F -d 'Also write the scan report to this file'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l quiet -d 'No progress display'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan" -l all -d 'Scan every Wine prefix found'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair backups prefixes" -l json -d 'Print JSON'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair" -l yes -d 'Repair without asking'
complete -c vostrel-cli -n "__fish_seen_subcommand_from repair backups restore" -l backup-dir -x -a '(__fish_complete_directories)' -d 'The backup folder'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -l keep -d 'Keep the backup file after a complete restore'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -l force -d 'Restore into another prefix, and records outside its own drives'
complete -c vostrel-cli -n "__fish_seen_subcommand_from scan repair" -l wine -x -a '(__fish_complete_directories)' -d 'The Wine that runs the prefix'
complete -c vostrel-cli -n "__fish_seen_subcommand_from restore" -F -d 'Backup name or path'

complete -c vostrel -f
complete -c vostrel -s h -l help -d 'Show the help'
complete -c vostrel -l version -d 'Show the version'
complete -c vostrel -l prefix -x -a '(__fish_complete_directories)' -d 'The Wine prefix'
