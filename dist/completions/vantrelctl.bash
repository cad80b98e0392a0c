# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for vantrelctl

_vantrelctl()
{
    local cur prev words cword
    _init_completion -n = || return

    local commands="show dump set save load undo clear-guard diagnose profiles delete-profile"
    local board="--simulate --hub --dividers --chip-dump --bus"
    local watch="--trace -q --quiet"
    local change="--step --verify --no-verify --dry-run --confirm"
    local options="$board $watch -y --yes -h --help --version"
    local simulate="hub= base= dividers= n= m= depth= delay-cpu= delay-pci= delay-sdram=
        delay-3v66= spread= model= multiplier= dump= board= fault= pauses="
    local delays="none 150ps 300ps 450ps"

    case $prev in
        --bus)
            COMPREPLY=($(compgen -W "kernel ports" -- "$cur"))
            return
            ;;
        --settings | --chip-dump)
            _filedir
            return
            ;;
        --state-dir)
            _filedir -d
            return
            ;;
        --profile | delete-profile)
            local dir=${XDG_CONFIG_HOME:-$HOME/.config}/vantrel/profiles names
            names=$(cd "$dir" 2>/dev/null && for f in *.reg; do [[ -e $f ]] && echo "${f%.reg}"; done)
            COMPREPLY=($(compgen -W "$names" -- "$cur"))
            return
            ;;
        --hub)
            COMPREPLY=($(compgen -W "aa ab ba none" -- "$cur"))
            return
            ;;
        --delay-cpu | --delay-pci | --delay-sdram | --delay-3v66)
            COMPREPLY=($(compgen -W "$delays" -- "$cur"))
            return
            ;;
        --spread)
            COMPREPLY=($(compgen -W "on off" -- "$cur"))
            return
            ;;
        --dividers | --cpu-ext | --depth | --model | --step | --confirm)
            return
            ;;
    esac

    if [[ $cur == --simulate=* ]]; then
        # Completes the last option of the comma-separated list.
        local list=${cur#--simulate=}
        local done_part="" last=$list
        if [[ $list == *,* ]]; then
            done_part=${list%,*},
            last=${list##*,}
        fi
        # Readline replaces only what follows the last "=" of the word.
        local replaced=${cur%"${cur##*=}"} name
        COMPREPLY=()
        if [[ $last == *=* ]]; then
            # The values of the option being written, after its "=".
            local values=""
            case ${last%%=*} in
                hub) values="aa ab ba none" ;;
                base) values="unprogrammed" ;;
                dividers) values="3/3 3/4 4/3 4/4 6/3 6/4" ;;
                delay-*) values=$delays ;;
                spread) values="on off" ;;
                model) values="0 1 2 3 4 5 6 7" ;;
                pauses) values="real instant" ;;
                fault) values="timeout: device-error: bus-error: failed: drop-write:
                    block-count=" ;;
            esac
            COMPREPLY=($(compgen -W "$values" -- "${last#*=}"))
            [[ ${last%%=*} == fault ]] && compopt -o nospace 2>/dev/null
            return
        fi
        for name in $simulate; do
            [[ $name == "$last"* ]] && COMPREPLY+=("${done_part#"${replaced#--simulate=}"}$name")
        done
        compopt -o nospace 2>/dev/null
        return
    fi

    local command="" word
    for word in "${words[@]:1:cword-1}"; do
        if [[ " $commands " == *" $word "* ]]; then
            command=$word
            break
        fi
    done

    # Once the command is known, only the options it takes.
    case $command in
        show) options="$board $watch --json -y --yes" ;;
        dump) options="$board $watch -y --yes" ;;
        set) options="$board $watch $change --cpu-ext --delay-cpu --delay-pci --delay-sdram
            --delay-3v66 --spread --depth --model -y --yes" ;;
        save) options="$board $watch --settings --profile -y --yes" ;;
        load) options="$board $watch $change --settings --profile --at-boot --state-dir -y
            --yes" ;;
        undo) options="$board $watch $change -y --yes" ;;
        clear-guard) options="--state-dir -y --yes" ;;
        diagnose) options="--bus --json --settings --state-dir -y --yes" ;;
        profiles) options="--json -y --yes" ;;
        delete-profile) options="-y --yes" ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == --simulate ]] &&
            COMPREPLY=(--simulate --simulate=)
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
} &&
    complete -F _vantrelctl vantrelctl
