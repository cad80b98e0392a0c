# SPDX-License-Identifier: GPL-2.0-or-later
# fish completion for vantrelctl

set -l commands show dump set save load undo clear-guard diagnose profiles delete-profile
set -l delays none 150ps 300ps 450ps

complete -c vantrelctl -f
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a show -d 'Show the controller, chip, dividers, PLL and clocks'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a dump -d 'The registers as an i2cdump grid'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a set -d 'Run Settings with the given choices'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a save -d 'Save Settings into the settings file'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a load -d 'Load Settings onto the chip'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a clear-guard -d 'Let the next boot-time load run again'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a diagnose -d 'Everything that decides access, touching nothing'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a profiles -d 'List the profiles with their clocks and spread'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a delete-profile -d 'Remove a profile'
complete -c vantrelctl -n "not __fish_seen_subcommand_from $commands" -a undo -d 'Load the profile previous, the settings before the last change'

complete -c vantrelctl -l simulate -d 'A simulated board instead of this machine' -a 'hub= base= dividers= n= m= depth= delay-cpu= delay-pci= delay-sdram= delay-3v66= spread= model= multiplier= dump= board= fault= pauses='
complete -c vantrelctl -l hub -x -a 'aa ab ba none' -d 'The simulated hub'
complete -c vantrelctl -l dividers -x -d 'The simulated divider straps, CPU/SDRAM'
complete -c vantrelctl -l chip-dump -r -F -d 'Load a register dump into the simulated chip'
complete -c vantrelctl -l bus -x -a 'kernel ports' -d 'The path to the SMBus'
complete -c vantrelctl -s y -l yes -d 'Do not ask before writing to the chip'
complete -c vantrelctl -l settings -r -F -d 'The settings file'
complete -c vantrelctl -l state-dir -x -a '(__fish_complete_directories)' -d 'Where the boot guard is kept'
complete -c vantrelctl -s h -l help -d 'The usage'
complete -c vantrelctl -l version -d 'The version'

complete -c vantrelctl -l trace -d 'Each SMBus transfer on standard error'
complete -c vantrelctl -s q -l quiet -d 'No progress line'
complete -c vantrelctl -n '__fish_seen_subcommand_from show diagnose profiles' -l json -d 'The same as one JSON object'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l cpu-ext -x -d 'The CPU external clock, MHz'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l delay-cpu -x -a "$delays" -d 'CPU group delay'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l delay-pci -x -a "$delays" -d 'PCI group delay'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l delay-sdram -x -a "$delays" -d 'SDRAM group delay'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l delay-3v66 -x -a "$delays" -d '3V66 group delay'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l spread -x -a 'on off' -d 'Spread spectrum'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l depth -x -a '0 1 2 3 4 5 6 7 8 9 10' -d 'Spread depth'
complete -c vantrelctl -n '__fish_seen_subcommand_from set' -l model -x -a '0 1 2 3 4 5 6 7' -d 'Spread model'
complete -c vantrelctl -n '__fish_seen_subcommand_from set load undo' -l step -x -d 'Reach the clock in steps of at most MHZ'
complete -c vantrelctl -n '__fish_seen_subcommand_from set load undo' -l verify -d 'Read the chip back afterwards and compare'
complete -c vantrelctl -n '__fish_seen_subcommand_from set load undo' -l no-verify -d 'Do not read the chip back'
complete -c vantrelctl -n '__fish_seen_subcommand_from set load undo' -l dry-run -d 'Print what the apply would write, send nothing of it'
complete -c vantrelctl -n '__fish_seen_subcommand_from set load undo' -l confirm -x -d 'Put the previous settings back unless confirmed'
function __vantrelctl_profiles
    set -l dir (set -q XDG_CONFIG_HOME; and echo $XDG_CONFIG_HOME; or echo ~/.config)/vantrel/profiles
    for f in $dir/*.reg
        basename $f .reg
    end
end
complete -c vantrelctl -n '__fish_seen_subcommand_from save load' -l profile -x -a '(__vantrelctl_profiles)' -d 'The named profile in place of the settings file'
complete -c vantrelctl -n '__fish_seen_subcommand_from delete-profile' -a '(__vantrelctl_profiles)' -d 'Profile'
complete -c vantrelctl -n '__fish_seen_subcommand_from load' -l at-boot -d 'Skip the load when the last boot-time one never finished'
