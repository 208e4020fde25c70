# fish completion for vernalo-cli: commands, their options, and voice names from the installed
# voices (`vernalo-cli voices`: the speaker name, third column, of the voices whose mode name,
# second column, starts with the language asked for, if any).
set -l commands pieces say voices speak convert html2rtf
complete -c vernalo-cli -f
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a pieces -d 'print the pieces a text is read in'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a say -d 'read a text aloud or write it to a sound file'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a voices -d 'list the installed voices'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a speak -d 'speak one text with one voice'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a convert -d 'read a document and write its text'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -a html2rtf -d 'turn an HTML page into rich text'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'print the commands and options'
complete -c vernalo-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'print the version'

function __vernalo_cli_voices
    vernalo-cli voices 2>/dev/null | awk -F'\t' -v lang="$argv[1]" 'index($2, lang) == 1 { print $3 }'
end

set -l reading "__fish_seen_subcommand_from pieces say"
complete -c vernalo-cli -n $reading -l mode -x -a 'word sentence' -d 'word or sentence mode'
complete -c vernalo-cli -n $reading -l no-ru -d 'leave out the Russian pieces'
complete -c vernalo-cli -n $reading -l no-en -d 'leave out the English pieces'
complete -c vernalo-cli -n $reading -l dict-ru -r -F -d 'Russian dictionary'
complete -c vernalo-cli -n $reading -l dict-en -r -F -d 'English dictionary'
complete -c vernalo-cli -n $reading -l rules-ru -r -F -d 'Russian reading rules'
complete -c vernalo-cli -n $reading -l rules-en -r -F -d 'English reading rules'
complete -c vernalo-cli -n $reading -l from -x -d 'start at position'
complete -c vernalo-cli -n "__fish_seen_subcommand_from pieces say convert html2rtf" -F

set -l say "__fish_seen_subcommand_from say"
complete -c vernalo-cli -n $say -l repeat-ru -x -d 'times each Russian piece is said'
complete -c vernalo-cli -n $say -l repeat-en -x -d 'times each English piece is said'
complete -c vernalo-cli -n $say -l voice-ru -x -a '(__vernalo_cli_voices Russian)' -d 'Russian voice'
complete -c vernalo-cli -n $say -l voice-en -x -a '(__vernalo_cli_voices English)' -d 'English voice'
complete -c vernalo-cli -n $say -l speed-ru -x -d 'Russian speed in per cent'
complete -c vernalo-cli -n $say -l speed-en -x -d 'English speed in per cent'
complete -c vernalo-cli -n $say -l repeat-text -d 'start over at the end'
complete -c vernalo-cli -n $say -l print-pieces -d 'print each piece as it is highlighted'
complete -c vernalo-cli -n $say -l pause-after -x -a '0 1 2' -d 'silence after each piece'
complete -c vernalo-cli -n $say -l wav -r -F -d 'write one WAV file'
complete -c vernalo-cli -n $say -l out -r -F -d 'write a sound file by its suffix'
complete -c vernalo-cli -n $say -l split-minutes -x -d 'files of about N minutes'
complete -c vernalo-cli -n $say -l split -x -a chapters -d 'one file per chapter'

set -l speak "__fish_seen_subcommand_from speak"
complete -c vernalo-cli -n $speak -l voice -x -a '(__vernalo_cli_voices)' -d 'voice'
complete -c vernalo-cli -n $speak -l speed -x -d 'speed in per cent'
complete -c vernalo-cli -n $speak -l wav -r -F -d 'write a WAV file'

set -l convert "__fish_seen_subcommand_from convert"
complete -c vernalo-cli -n $convert -l to -x -a 'txt rtf' -d 'output format'
complete -c vernalo-cli -n $convert -s o -r -F -d 'output file'
complete -c vernalo-cli -n $convert -l verbose -d 'name the format found'
